// Fuzzes the whole path from input bytes to the two outputs: probe, headers and channel copy.
// Each input becomes a file; a refusal must be one of the probe's messages and leave no output,
// and an accepted input must give outputs that hold exactly its channels' samples.
#include <stdlib.h>  // mkdtemp
#include <unistd.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <set>
#include <sstream>
#include <string>

#include "support/failure.h"
#include "support/wav_bytes.h"
#include "wav/extract.h"
#include "wav/header.h"
#include "wav/probe.h"

namespace {

const std::string& scratch_dir() {
  static const std::string dir = [] {
    std::string pattern = access("/dev/shm", W_OK) == 0 ? "/dev/shm/tessmar-fuzz-XXXXXX" : "/tmp/tessmar-fuzz-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) {
      std::abort();
    }
    return pattern;
  }();
  return dir;
}

std::string slurp(const std::string& name) {
  std::stringstream bytes;
  bytes << std::ifstream(name, std::ios::binary).rdbuf();
  return bytes.str();
}

void check(bool holds, const char* what) {
  if (!holds) {
    std::fprintf(stderr, "fuzz_split: %s\n", what);
    std::abort();
  }
}

void check_outputs(const std::string& input, const tessmar::Attributes& attributes, const std::string& left,
                   const std::string& right) {
  const std::uint32_t width = attributes.bytes_per_sample;
  check(attributes.channels == 2 && (attributes.bits_per_sample == 16 || attributes.bits_per_sample == 24) &&
            width * 8 == attributes.bits_per_sample,
        "accepted a file that is not stereo 16 or 24 bits");
  check(attributes.data_end <= static_cast<std::int64_t>(input.size()), "samples end past the file");
  const std::string frames = attributes.data_end > attributes.data_offset
                                 ? input.substr(static_cast<std::size_t>(attributes.data_offset),
                                                static_cast<std::size_t>(attributes.data_end - attributes.data_offset))
                                 : "";
  const auto bits = static_cast<std::uint16_t>(attributes.bits_per_sample);
  check(slurp(left) == tessmar_test::mono_wav(bits, attributes.sample_rate, frames, 0), "left output is wrong");
  check(slurp(right) == tessmar_test::mono_wav(bits, attributes.sample_rate, frames, 1), "right output is wrong");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using tessmar_test::Fault;
  static const std::set<Fault> kRefusals = {Fault::kNoFormat, Fault::kNotStereo, Fault::kBitDepth, Fault::kNoData};
  const std::string input = scratch_dir() + "/in.wav";
  const std::string left = scratch_dir() + "/inL.wav";
  const std::string right = scratch_dir() + "/inR.wav";
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  std::ofstream(input, std::ios::binary | std::ios::trunc) << bytes;
  unlink(left.c_str());
  unlink(right.c_str());
  std::array<tessmar::Attributes, 1> tracks{};
  try {
    tessmar::GET_ATTRIBUTES(0, input, tracks);
  } catch (const tessmar_test::Failure& failure) {
    check(kRefusals.count(failure.fault) == 1, "unexpected refusal");
    check(access(left.c_str(), F_OK) != 0 && access(right.c_str(), F_OK) != 0, "a refused file left an output");
    return 0;
  }
  // An input this small cannot fail to write: every later failure is a finding.
  try {
    tessmar::File left_output = tessmar::open_file(left, "wb");
    tessmar::File right_output = tessmar::open_file(right, "wb");
    for (const tessmar::File* output : {&left_output, &right_output}) {
      tessmar::MAKE_HEADER(*output, tracks[0].sample_rate, tracks[0].bits_per_sample, tessmar::whole_frames(tracks[0]));
    }
    tessmar::copy_channels(input, tracks[0], left_output, right_output);
    tessmar::close_output(left_output);
    tessmar::close_output(right_output);
  } catch (const tessmar_test::Failure&) {
    check(false, "an accepted input failed to split");
  }
  check_outputs(bytes, tracks[0], left, right);
  return 0;
}
