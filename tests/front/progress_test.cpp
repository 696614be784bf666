// What the progress line says, and when it says nothing.
#include "front/progress.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/run.h"
#include "support/wav_bytes.h"

namespace tessmar {
namespace {

TEST(ProgressLine, ShowsTheWholeSplitsPercentAtMostFourTimesASecondAfterTheFirst) {
  const std::string kLong = std::string(200, 'n') + "\xC3\xA9L.wav";  // an e with an accent: a column a byte
  // elapsed, last drawn, channel, frames copied of 1000, output, what shows, the terminal's columns
  struct Row {
    double elapsed, last_drawn;
    int channel;
    std::uint64_t copied;
    std::string output, shown;
    std::size_t columns = 0;  // unknown, or a fresh pseudo-terminal's: 80
    const char* ctype = "C.UTF-8";
  };
  const Row cases[] = {
      {0.99, -1, 0, 500, "takeL.wav", ""},
      {1.0, -1, 0, 0, "takeL.wav", "takeL.wav  0%"},
      {1.5, 1.0, 0, 500, "takeL.wav", "takeL.wav  25%"},
      {1.74, 1.5, 0, 999, "takeL.wav", ""},
      {1.75, 1.5, 0, 1000, "takeL.wav", "takeL.wav  50%"},
      {2.0, 1.75, 1, 0, "takeR.wav", "takeR.wav  50%"},
      {9.0, 2.0, 1, 500, "takeR.wav", "takeR.wav  75%"},
      {9.5, 9.0, 1, 1000, "takeR.wav", "takeR.wav  100%"},
      {1.0, -1, 0, 370, kLong, "..." + std::string(63, 'n') + "\xC3\xA9L.wav  18%"},
      {1.0, -1, 0, 370,
       "a\nb\x7F"
       "c\xC2\x85"
       "d.wav",
       "a?b?c?d.wav  18%"},  // a C1 control: one '?'
      {1.0, -1, 0, 370, kLong, "..." + std::string(23, 'n') + "\xC3\xA9L.wav  18%", 40},
      {1.0, -1, 0, 370, std::string(100, '\xB0') + "L.wav", "..." + std::string(25, '?') + "L.wav  18%", 40},
      {1.0, -1, 0, 370,
       "x\x9B"
       "2Jy.wav",
       "x?2Jy.wav  18%"},  // a CSI alone would clear an 8-bit terminal
      {1.0, -1, 0, 370, "\xC3\xA9L.wav", "??L.wav  18%", 0, "C"},
      {1.0, -1, 0, 370, "takeL.wav", "...av  18%", 12},
      {1.0, -1, 0, 370, "takeL.wav", "18%", 8},
      {1.0, -1, 0, 370, "takeL.wav", "", 3},
  };
  for (const Row& row : cases) {
    const std::string text =
        progress_text(row.elapsed, row.last_drawn, row.channel, row.copied, 1000, row.output, row.columns, row.ctype);
    EXPECT_EQ(text, row.shown) << row.elapsed << " " << row.output << " " << row.columns;
    EXPECT_LT(text.size(), row.columns == 0 ? 80 : row.columns);
  }
}

using JobControl = tessmar_test::InTempDir;

// A run in an interactive shell, stopped and continued from its terminal. Its left output is read
// at about 1 MB/s, so that its line shows, then not at all from "paused" until go exists: a write
// the run begins then takes nothing.
TEST_F(JobControl, TheLineShowsOnlyInTheForeground) {
  write("big.wav", tessmar_test::riff(tessmar_test::fmt_chunk(2, 8000, 16) + "data" + tessmar_test::le(16 << 20, 4)));
  std::filesystem::resize_file(dir / "big.wav", 44 + (16 << 20));
  const std::string read_slowly =
      "mkfifo bigL.wav; (exec 3<>bigL.wav; touch ready; for i in $(seq 30); do head -c 65536 <&3 >/dev/null; "
      "sleep 0.05; done; printf pau\"\"sed; until [ -e go ]; do sleep 0.01; done; while head -c 65536 <&3 "
      ">/dev/null; do sleep 0.02; done) & R=$!; until [ -e ready ]; do sleep 0.01; done; ";
  const std::string end = "kill -- -$R; exit\n";
  // What the terminal shows of the line, or never shows, once the shell says the run stopped
  // (from the start where it never does); where it does, the line is blanked out before.
  struct Row {
    const char* what;
    std::vector<std::pair<std::string, std::string>> cues_and_keys;
    std::string after_stop;
    bool shows;
  };
  const Row cases[] = {
      {.what = "Ctrl-Z erases the line, fg draws it again, and a write cut short goes on",
       .cues_and_keys = {{"$ ", read_slowly + "$T big.wav\n"},
                         {"paused", "\x1a"},
                         {"Stopped", "(sleep 0.5; echo ti\"\"ck) & fg\n"},
                         {"tick", "\x1a"},
                         {"Stopped", "touch go; fg\n"},
                         {"done", "echo st=$?\n"},
                         {"st=0", end}},
       .after_stop = "L.wav  ",
       .shows = true},
      {.what = "Ctrl-Z, then kill: the run ends in the background without erasing",
       .cues_and_keys = {{"$ ", read_slowly + "touch go; $T big.wav\n"},
                         {"L.wav  ", "\x1a"},
                         {"Stopped", "set -b; kill %+\n"},
                         {"Terminated", end}},
       .after_stop = "\r ",
       .shows = false},
      {.what = "started in the background, no line",
       .cues_and_keys = {{"$ ", read_slowly + "touch go; $T big.wav & wait $!; echo st=$?\n"}, {"st=0", end}},
       .after_stop = "L.wav  ",
       .shows = false},
  };
  for (const Row& row : cases) {
    SCOPED_TRACE(row.what);
    for (const char* name : {"bigL.wav", "ready", "go"}) {
      std::filesystem::remove(dir / name);
    }
    const tessmar_test::Outcome outcome = converse(row.cues_and_keys, true);  // -1: a cue never showed
    const std::string& shown = outcome.out;
    EXPECT_EQ(outcome.status, 0) << shown;
    const std::size_t stop = shown.find("Stopped");
    if (stop != std::string::npos) {
      const std::size_t report = shown.rfind('\n', stop);
      const std::size_t line = shown.rfind('\n', report - 1) + 1;
      EXPECT_EQ(tessmar_test::played_back(shown.substr(line, report - line)).find('%'), std::string::npos) << shown;
    }
    EXPECT_EQ(shown.find(row.after_stop, stop == std::string::npos ? 0 : stop) != std::string::npos, row.shows)
        << shown;
  }
}

}  // namespace
}  // namespace tessmar
