// Headers of large outputs: splits past 2 GiB, RF64 outputs where a RIFF size cannot state theirs,
// and what a split stopped halfway leaves.
#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <tuple>

#include "support/run.h"
#include "support/wav_bytes.h"
#include "wav/codec.h"
#include "wav/header.h"

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
  const auto* at = reinterpret_cast<const unsigned char*>(wide.data());
  const std::vector<std::uint64_t> sizes = {
      tessmar::Assem4(at + 4),  tessmar::Assem4(at + 16), tessmar::Assem8(at + 20), tessmar::Assem8(at + 28),
      tessmar::Assem8(at + 36), tessmar::Assem4(at + 44), tessmar::Assem4(at + 76)};
  const std::uint64_t data = 3 * (kFrames + 1);
  EXPECT_EQ(sizes, (std::vector<std::uint64_t>{0xFFFFFFFF, 28, data + 72, data, kFrames + 1, 0, 0xFFFFFFFF}));
  // Left with five samples and part of one, it keeps its layout and states what it holds.
  write("h.wav", wide + std::string(17, 's'));
  tessmar::restate_header(tessmar::open_file((dir / "h.wav").string(), "r+b"), 48000, 24, kFrames + 1);
  const std::string restated = read("h.wav");
  const auto* now = reinterpret_cast<const unsigned char*>(restated.data());
  EXPECT_EQ(restated.substr(0, 20) + restated.substr(44), wide.substr(0, 20) + wide.substr(44) + std::string(15, 's'));
  EXPECT_EQ(
      (std::vector<std::uint64_t>{tessmar::Assem8(now + 20), tessmar::Assem8(now + 28), tessmar::Assem8(now + 36)}),
      (std::vector<std::uint64_t>{15 + 72, 15, 5}));
}

// A split that does not end in "done": created outputs are gone, old ones it emptied state the
// whole frames they hold, the rest are as they were. The signal comes once the output watched has
// grown past 64 MiB, or once the run waits for a lock.
TEST_F(LargeFiles, AnUnfinishedSplitLeavesNoHeaderThatLies) {
  const std::uint64_t kData = (1ULL << 30) - 44;
  const std::uint64_t kFull = 44 + kData / 2;
  write_sparse(dir / "big.wav", riff(fmt_chunk(2, 48000, 16) + "data" + le(kData, 4)), 44 + kData);
  const std::string old = "echo old >bigL.wav; echo old >bigR.wav; ";
  // An input of 250 frames whose outputs take the same names.
  const std::string small = "head -c 1044 big.wav >big.x.wav; ";
  // what, shell line, output watched, signal, status, printed, left and right as they end
  const std::tuple<const char*, std::string, std::string, int, int, std::string, std::string> cases[] = {
      {"SIGINT, no outputs before", "exec $T big.wav", "bigL.wav", SIGINT, 130, "", "gone gone"},
      {"SIGTERM in the left copy", old + "exec $T big.wav", "bigL.wav", SIGTERM, 143, "", "partial empty"},
      {"SIGHUP in the right copy", old + "exec $T big.wav", "bigR.wav", SIGHUP, 129, "", "complete partial"},
      {"the reader of a FIFO right output quits",
       "echo old >bigL.wav; mkfifo bigR.wav; exec 3<>bigR.wav; head -c 1000 <&3 >/dev/null & exec 3<&-; exec $T "
       "big.wav",
       "", 0, 141, "", "complete other"},
      {"a file-size limit", old + "ulimit -f 20000; exec $T big.wav", "", 0, 2, "Unable to write file.\n",
       "partial empty"},
      {"waiting for another run's lock",
       old + "flock bigL.wav sleep 3 & while flock -n bigL.wav true; do sleep 0.01; done; exec $T big.wav", "", SIGTERM,
       143, "", "other other"},
      {"SIGINT ignored at start", "trap '' INT; exec $T big.wav", "bigL.wav", SIGINT, 0, "done\n", "complete complete"},
      {"SIGQUIT, no core", old + "ulimit -c 0; exec $T big.wav", "bigL.wav", SIGQUIT, 131, "", "partial empty"},
      {"a real-time signal in the right copy", "exec $T big.wav", "bigR.wav", SIGRTMAX, 128 + SIGRTMAX, "",
       "gone gone"},
      {"a signal during the headers of no frames",
       "head -c 44 big.wav >big.0.wav; exec $P HOLD_CALL=fflush HOLD_UNTIL=go $T big.0.wav", kCallHeld, SIGTERM, 143,
       "", "gone gone"},
      {"SIGTERM once both are complete, done waiting on a full pipe",
       "mkfifo p; exec 3<>p; head -c 65536 /dev/zero >&3; exec $T big.wav >&3", kWritingOut, SIGTERM, 143, "",
       "complete complete"},
      {"the right output removed", "$T big.wav & G bigL.wav; rm bigR.wav; wait $!", "", 0, 2, "Unable to write file.\n",
       "gone gone"},
      {"the left output removed, another run on the same outputs",
       small + "$T big.wav >a & G bigL.wav; rm bigL.wav; $T big.x.wav >b; wait $!; s=$?; cat a b; exit $s", "", 0, 2,
       "Unable to write file.\ndone\n", "partial partial"},
      {"another run's outputs linked crosswise, it held between its locks",
       small + "cp big.x.wav x.wav; ln -s bigR.wav xL.wav; ln -s bigL.wav xR.wav; $P HOLD_CALL=flock HOLD_SKIP=1 "
               "HOLD_UNTIL=go $T big.wav >a & A=$!; G bigL.wav; kill -STOP $A; timeout -s KILL 60 $T x.wav >b & until "
               "[ -s b ] || grep -q -- '->' /proc/locks; do sleep 0.01; done; kill -CONT $A; touch go; wait; cat a b",
       "", 0, 0, "done\ndone\n", "partial partial"},
      {"reopened, it still removes what it made",
       "(G bigL.wav; rm bigR.wav; touch go) & exec $P HOLD_CALL=flock HOLD_UNTIL=go $T big.wav", "bigL.wav", SIGTERM,
       143, "", "gone gone"},
      {"what it made, a faster run finished",
       small + "(G bigL.wav; $T big.x.wav; touch go) & exec $P HOLD_CALL=flock HOLD_UNTIL=go $T big.wav", "bigL.wav",
       SIGINT, 130, "done\n", "partial empty"},
  };
  for (const auto& [what, line, watched, signal, status, printed, left_and_right] : cases) {
    SCOPED_TRACE(what);
    if (skipped_under_emulator(what, line)) {
      continue;
    }
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
      if (entry.path().filename() != "big.wav") {
        std::filesystem::remove(entry.path());
      }
    }
    const Outcome outcome = interrupt(line, watched, 64 << 20, signal);
    EXPECT_EQ(outcome.status, status);
    EXPECT_EQ(outcome.out, printed);
    std::string found;
    for (const char* name : {"bigL.wav", "bigR.wav"}) {
      const auto path = dir / name;
      const std::uint64_t size = std::filesystem::is_regular_file(path) ? std::filesystem::file_size(path) : 0;
      const bool states = size >= 44 && bytes_at(path, 0, 8) == "RIFF" + le(size - 8, 4) &&
                          bytes_at(path, 40, 4) == le(size - 44, 4) && size % 2 == 0;
      found += std::string(found.empty() ? "" : " ") + (!std::filesystem::exists(path) ? "gone"
                                                        : !states                      ? "other"
                                                        : size == 44                   ? "empty"
                                                        : size == kFull                ? "complete"
                                                                                       : "partial");
    }
    EXPECT_EQ(found, left_and_right);
  }
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
    ASSERT_EQ(outcome.status, 0);
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
