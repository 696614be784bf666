// Whole runs: each output must be its header plus one channel's samples, byte for byte.
#include "wav/extract.h"

#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <thread>

#include "support/failure.h"
#include "support/run.h"
#include "support/wav_bytes.h"

namespace tessmar_test {
namespace {

struct Split {
  std::string what;
  std::string file;    // the input
  std::string frames;  // the bytes that count as interleaved samples
};

std::vector<Split> splits(std::uint16_t bits) {
  const std::size_t frame = bits / 4;
  const auto frames = [&](std::size_t count) { return pattern(count * frame, bits); };
  const auto plain = [&](const std::string& samples) { return stereo_wav(bits, samples, 22050); };
  const std::string fmt = fmt_chunk(2, 22050, bits);
  const std::string some = frames(100);
  const std::string list = chunk("LIST", "INFOISFT" + le(5, 4) + std::string("data\0", 5));
  const std::string id3 = chunk("id3 ", pattern(301, 7));
  return {
      {"empty data", plain(""), ""},
      {"one frame", plain(frames(1)), frames(1)},
      {"partial frame at the end", plain(some + pattern(frame - 1, 3)), some},
      {"exactly one block", plain(frames(tessmar::kBlockFrames)), frames(tessmar::kBlockFrames)},
      {"one block and one frame", plain(frames(tessmar::kBlockFrames + 1)), frames(tessmar::kBlockFrames + 1)},
      {"many blocks", plain(frames(5 * tessmar::kBlockFrames + 17)), frames(5 * tessmar::kBlockFrames + 17)},
      {"metadata before and after the data", riff(list + fmt + chunk("data", some) + id3 + list), some},
      {"unfinished recording, size 0", riff(fmt + "data" + le(0, 4) + some), some},
      {"unfinished recording, size 0xFFFFFFFF", riff(fmt + "data" + le(0xFFFFFFFF, 4) + some), some},
      {"trailing bytes of an unfinished recording", riff(fmt + "data" + le(0, 4) + some + "xyz"), some + "xyz"},
      {"data tag in the last bytes", riff(fmt) + "data" + le(0, 2), ""},
  };
}

class SplitTest : public InTempDir, public ::testing::WithParamInterface<std::uint16_t> {};

TEST_P(SplitTest, EachOutputHoldsItsChannelExactly) {
  const std::uint16_t bits = GetParam();
  for (const Split& split : splits(bits)) {
    SCOPED_TRACE(split.what);
    write("take.wav", split.file);
    write("takeL.wav", std::string(100000, 'o'));  // an earlier output is replaced, not appended to
    const Outcome outcome = run({"take.wav"});
    EXPECT_EQ(outcome.out, "done\n");
    EXPECT_EQ(outcome.status, 0);
    EXPECT_EQ(read("takeL.wav"), mono_wav(bits, 22050, split.frames, 0));
    EXPECT_EQ(read("takeR.wav"), mono_wav(bits, 22050, split.frames, 1));
    EXPECT_EQ(read("take.wav"), split.file);
  }
}

INSTANTIATE_TEST_SUITE_P(Depths, SplitTest, ::testing::Values(16, 24));

// A tool no one here wrote says which samples belong to which channel.
class SoxCrossCheck : public InTempDir {};

TEST_F(SoxCrossCheck, OutputsMatchSoxRemix) {
  if (std::system("command -v sox >/dev/null 2>&1") != 0) {
    GTEST_SKIP() << "sox is not installed";
  }
  for (const char* bits : {"16", "24"}) {
    SCOPED_TRACE(bits);
    const std::string in = (dir / "mix.wav").string();
    const std::string make = "sox -n -r 48000 -c 2 -b " + std::string(bits) + " " + in +
                             " synth 1.3 sine 440 square 97 vol 0.5 && sox " + in + " -t raw " + dir.string() +
                             "/one.raw remix 1 && sox " + in + " -t raw " + dir.string() + "/two.raw remix 2";
    EXPECT_EQ(std::system(make.c_str()), 0);
    EXPECT_EQ(run({"mix.wav"}).status, 0);
    EXPECT_EQ(read("mixL.wav").substr(44), read("one.raw"));
    EXPECT_EQ(read("mixR.wav").substr(44), read("two.raw"));
    EXPECT_NE(read("one.raw"), read("two.raw"));
  }
}

// The input changed after the probe: the copy must not pass another file's samples, or a
// part of them, off as a finished split.
using CopyStage = InTempDir;
TEST_F(CopyStage, AnInputChangedSinceTheProbeIsAReadFailure) {
  namespace fs = std::filesystem;
  const std::pair<const char*, void (*)(const fs::path&)> changes[] = {
      {"shrunk", [](const fs::path& in) { fs::resize_file(in, 100); }},
      {"replaced by a copy, as an editor saves",
       [](const fs::path& in) {
         fs::copy_file(in, in.string() + "~");
         fs::rename(in.string() + "~", in);
       }},
      {"rewritten in place, bytes and length unchanged",
       [](const fs::path& in) { fs::last_write_time(in, fs::last_write_time(in) + std::chrono::seconds(1)); }},
      {"rewritten in place, its modification time set back",
       [](const fs::path& in) {
         const auto written = fs::last_write_time(in);
         std::this_thread::sleep_for(std::chrono::milliseconds(20));  // a coarse clock ticks first
         std::fstream(in, std::ios::binary | std::ios::in | std::ios::out).seekp(100).put('x');
         fs::last_write_time(in, written);
       }},
  };
  for (const auto& [what, change] : changes) {
    SCOPED_TRACE(what);
    write("in.wav", stereo_wav(16, pattern(400)));
    std::array<tessmar::Attributes, 1> tracks{};
    tessmar::GET_ATTRIBUTES(0, (dir / "in.wav").string(), tracks);
    change(dir / "in.wav");
    try {
      tessmar::COPY_DATA((dir / "in.wav").string(), tracks[0], 0, tessmar::open_file((dir / "out.wav").string(), "wb"));
      ADD_FAILURE() << "no failure";
    } catch (const Failure& failure) {
      EXPECT_EQ(failure.fault, Fault::kRead);
    }
  }
}

}  // namespace
}  // namespace tessmar_test
