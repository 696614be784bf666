// The channel split: reads the interleaved samples in large blocks and keeps one channel.
#include "wav/extract.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "wav/fail.h"
#include "wav/io.h"

namespace tessmar {
namespace {

// Constant sizes let the compiler turn each copy into one move. A 3-byte sample moves as a
// 4-byte word: its extra byte is overwritten by the next sample, or lands in the spare byte.
template <std::size_t Width, std::size_t Move>
void pick(const unsigned char* frames, unsigned char* samples, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) {
    std::memcpy(samples + i * Width, frames + i * 2 * Width, Move);
  }
}

constexpr std::size_t kSpare = 1;

}  // namespace

void COPY_DATA(const std::string& input, const Attributes& attributes, int channel, const File& output,
               const FramesCopied& copied) {
  const std::size_t width = attributes.bytes_per_sample;
  const File in = open_file(input, "rb");
  if (!in) {
    fail(Fault::kOpen);
  }
  // Opened again by name, the input may have been replaced or rewritten since it was probed.
  const auto refuse_changed = [&] {
    if (identify(fileno(in.get())) != attributes.input) {
      fail(Fault::kRead);
    }
  };
  refuse_changed();
  const std::uint64_t frames_all = whole_frames(attributes);
  std::uint64_t frames_left = frames_all;
  if (frames_left > 0 && fseeko(in.get(), attributes.data_offset, SEEK_SET) != 0) {
    fail(Fault::kRead);
  }
  std::vector<unsigned char> block(kBlockFrames * 2 * width + kSpare);
  std::vector<unsigned char> samples(kBlockFrames * width + kSpare);
  const std::size_t selector = channel == 1 ? width : 0;
  while (frames_left > 0) {
    const std::size_t frames = std::min<std::uint64_t>(frames_left, kBlockFrames);
    if (std::fread(block.data(), 2 * width, frames, in.get()) != frames) {
      fail(Fault::kRead);
    }
    if (width == 2) {
      pick<2, 2>(block.data() + selector, samples.data(), frames);
    } else {
      pick<3, 4>(block.data() + selector, samples.data(), frames);
    }
    write_all(output, samples.data(), frames * width);
    frames_left -= frames;
    if (copied) {
      copied(channel, frames_all - frames_left);
    }
  }
  refuse_changed();
  flush(output);
}

void copy_channels(const std::string& input, const Attributes& attributes, const File& left, const File& right,
                   const FramesCopied& copied) {
  COPY_DATA(input, attributes, 0, left, copied);
  COPY_DATA(input, attributes, 1, right, copied);
}

}  // namespace tessmar
