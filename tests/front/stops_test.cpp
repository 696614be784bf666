// Runs that do not end in "done": stopped by a signal, failed, or outrun by another run on the
// same outputs.
#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <tuple>

#include "support/run.h"
#include "support/wav_bytes.h"

namespace tessmar_test {
namespace {

using LargeFiles = InTempDir;

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

}  // namespace
}  // namespace tessmar_test
