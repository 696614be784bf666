// Headers of large inputs: splits past 2 GiB, and the refusal of outputs the RIFF size can't state.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "support/run.h"
#include "support/wav_bytes.h"

namespace tessmar_test {
namespace {

// A sparse file: the header, then zeros up to length, with a few bytes placed far in.
void write_sparse(const std::filesystem::path& path, const std::string& header, std::uint64_t length,
                  const std::vector<std::pair<std::uint64_t, std::string>>& placed = {}) {
  std::ofstream(path, std::ios::binary) << header;
  std::filesystem::resize_file(path, length);
  std::fstream file(path, std::ios::binary | std::ios::in | std::ios::out);
  for (const auto& [at, bytes] : placed) {
    file.seekp(static_cast<std::streamoff>(at));
    file << bytes;
  }
}

std::string bytes_at(const std::filesystem::path& path, std::uint64_t at, std::size_t count) {
  std::ifstream file(path, std::ios::binary);
  file.seekg(static_cast<std::streamoff>(at));
  std::string bytes(count, '\0');
  file.read(bytes.data(), static_cast<std::streamsize>(count));
  return bytes;
}

using LargeFiles = InTempDir;

TEST_F(LargeFiles, RefusesOutputsTooLargeForTheirHeaderBeforeCreatingThem) {
  const std::uint64_t kMaxFrames16 = (0xFFFFFFFFULL - 36) / 2;
  // bits, length, the data size stated
  const std::tuple<std::uint16_t, std::uint64_t, std::uint32_t> cases[] = {
      {16, 44 + 4 * (kMaxFrames16 + 1), 0},
      {16, (8ULL << 30) + 4096, 0},
      {24, (8ULL << 30) + 4096, 0},
      {16, 9ULL << 30, 0xFFFFFFFF},  // a pipe recording's placeholder fits, and audio that reads as a chunk follows
  };
  for (const auto& [bits, length, size] : cases) {
    SCOPED_TRACE(length);
    write_sparse(dir / "big.wav", riff(fmt_chunk(2, 48000, bits) + "data" + le(size, 4)), length,
                 {{44ULL + size, "wxyz" + le(2, 4)}});
    const Outcome outcome = run({"big.wav"});
    EXPECT_EQ(outcome.out, "The file you want to convert is too large!\n");
    EXPECT_EQ(outcome.status, 1);
    EXPECT_EQ(listing(), "big.wav:" + std::to_string(length));
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
