// Headers of large outputs: splits past 2 GiB, and RF64 outputs where a RIFF size cannot state
// theirs.
#include <gtest/gtest.h>

#include <filesystem>
#include <tuple>

#include "support/run.h"
#include "support/wav_bytes.h"
#include "wav/header.h"

namespace tessmar_test {
namespace {

using LargeFiles = InTempDir;

// 24-bit data sizes on each side of the largest a RIFF header states: its RIFF size is 0xFFFFFFFF.
TEST_F(LargeFiles, HeaderIsRf64OnlyPastTheLargestRiffSize) {
  const std::uint64_t kFrames = 1431655753;
  const auto header = [&](std::uint64_t frames) {
    tessmar::MAKE_HEADER(tessmar::open_file((dir / "h.wav").string(), "wb"), 48000, 24, frames);
    return read("h.wav");
  };
  const std::string riff = header(kFrames);
  const std::string wide = header(kFrames + 1);
  EXPECT_EQ(riff, mono_header(24, 48000, 3 * kFrames));
  ASSERT_EQ(wide.size(), 80U);
  EXPECT_EQ(wide.substr(0, 4) + wide.substr(8, 8) + wide.substr(72, 4), "RF64WAVEds64data");
  EXPECT_EQ(wide.substr(48, 24), riff.substr(12, 24));
  // RIFF size; ds64 size; RIFF size, data size and frames in 64 bits; table length; data size
  const std::vector<std::uint64_t> sizes = {value_at(wide, 4, 4),  value_at(wide, 16, 4), value_at(wide, 20, 8),
                                            value_at(wide, 28, 8), value_at(wide, 36, 8), value_at(wide, 44, 4),
                                            value_at(wide, 76, 4)};
  const std::uint64_t data = 3 * (kFrames + 1);
  EXPECT_EQ(sizes, (std::vector<std::uint64_t>{0xFFFFFFFF, 28, data + 72, data, kFrames + 1, 0, 0xFFFFFFFF}));
  // Left with five samples and part of one, it keeps its layout and states what it holds.
  write("h.wav", wide + std::string(17, 's'));
  tessmar::restate_header(tessmar::open_file((dir / "h.wav").string(), "r+b"), 48000, 24, kFrames + 1);
  const std::string restated = read("h.wav");
  EXPECT_EQ(restated.substr(0, 20) + restated.substr(44), wide.substr(0, 20) + wide.substr(44) + std::string(15, 's'));
  EXPECT_EQ(
      (std::vector<std::uint64_t>{value_at(restated, 20, 8), value_at(restated, 28, 8), value_at(restated, 36, 8)}),
      (std::vector<std::uint64_t>{15 + 72, 15, 5}));
}

TEST_F(LargeFiles, SplitsOutputsPastFourGibibytesIntoRf64Files) {
  const std::uint64_t kLength = 9ULL << 30;
  const std::string list = chunk("LIST", std::string(92, 'm'));
  const std::uint64_t data24 = (kLength - 80 - list.size()) / 6 * 6;
  const std::string head24 = "RF64" + le(~0U, 4) + "WAVE" +
                             chunk("ds64", le(0, 8) + le(data24, 8) + le(0, 8) + le(0, 4)) + fmt_chunk(2, 48000, 24) +
                             "data" + le(~0U, 4);
  // bits, the input up to its first sample, where its samples end, what stands elsewhere in it, and
  // whether the error stream is a terminal, where a split this long shows its progress
  const std::tuple<std::uint16_t, std::string, std::uint64_t, std::pair<std::uint64_t, std::string>, bool> cases[] = {
      // a pipe recording's placeholder fits, and audio that reads as a chunk follows it
      {16, riff(fmt_chunk(2, 48000, 16) + "data" + le(~0U, 4)), kLength, {44ULL + ~0U, "wxyz" + le(2, 4)}, true},
      {24, head24, 80 + data24, {80 + data24, list}, false},
  };
  for (const auto& [bits, head, end, placed, on_terminal] : cases) {
    SCOPED_TRACE(bits);
    const std::uint64_t width = bits / 8;
    const std::uint64_t data = (end - head.size()) / 2;
    const std::string left = std::string("Yyy").substr(0, width);
    const std::string right = std::string("Zzz").substr(0, width);
    write_sparse(dir / "big.wav", head, placed.first + placed.second.size(), {placed, {end - 2 * width, left + right}});
    const Outcome outcome = run({"big.wav"}, std::nullopt, false, on_terminal);
    EXPECT_EQ(outcome.out, "done\n");  // and, off a terminal, nothing on the error stream
    EXPECT_EQ(outcome.status, 0);
    if (outcome.status != 0) {
      continue;
    }
    if (on_terminal) {
      EXPECT_NE(outcome.terminal.find("bigL.wav  "), std::string::npos);
      EXPECT_NE(outcome.terminal.find("bigR.wav  "), std::string::npos);
      EXPECT_EQ(played_back(outcome.terminal).find_first_not_of(' '), std::string::npos) << outcome.terminal;
    }
    for (const auto& [name, last] :
         std::vector<std::pair<std::string, std::string>>{{"bigL.wav", left}, {"bigR.wav", right}}) {
      SCOPED_TRACE(name);
      const auto path = dir / name;
      EXPECT_EQ(std::filesystem::file_size(path), 80 + data);
      EXPECT_EQ(bytes_at(path, 0, 4) + bytes_at(path, 28, 8), "RF64" + le(data, 8));
      EXPECT_EQ(bytes_at(path, 80 + data - width, width), last);
      std::filesystem::remove(path);
    }
  }
}

TEST_F(LargeFiles, SplitsAnInputPastTwoGibibytes) {
  const std::uint32_t data_size = (1U << 31) + 4096;
  const std::uint64_t past_2g = (1ULL << 31) + 40;  // a frame whose offset needs more than 31 bits
  const std::uint64_t last = 44 + data_size - 4;
  write_sparse(dir / "long.wav", riff(fmt_chunk(2, 48000, 16) + "data" + le(data_size, 4)) + "LlRrlLrR",
               44 + data_size + 100,
               {{past_2g, "AaBb"}, {last, "YyZz"}, {44 + data_size, chunk("LIST", std::string(92, 'm'))}});
  const Outcome outcome = run({"long.wav"});
  EXPECT_EQ(outcome.out, "done\n");
  ASSERT_EQ(outcome.status, 0);
  const std::uint64_t samples = data_size / 2;
  for (const auto& [name, expected] :
       std::vector<std::pair<std::string, std::string>>{{"longL.wav", "LllLAaYy"}, {"longR.wav", "RrrRBbZz"}}) {
    SCOPED_TRACE(name);
    const auto path = dir / name;
    EXPECT_EQ(std::filesystem::file_size(path), 44 + samples);
    EXPECT_EQ(bytes_at(path, 0, 44), mono_header(16, 48000, static_cast<std::uint32_t>(samples)));
    EXPECT_EQ(bytes_at(path, 44, 4) + bytes_at(path, 44 + (past_2g - 44) / 2, 2) + bytes_at(path, 44 + samples - 2, 2),
              expected);
    std::filesystem::remove(path);
  }
}

}  // namespace
}  // namespace tessmar_test
