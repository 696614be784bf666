// What the progress line says, and when it says nothing.
#include "front/progress.h"

#include <gtest/gtest.h>

#include <string>

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
      {1.0, -1, 0, 370, std::string(100, '\xB0') + "L.wav", "..." + std::string(22, '\xB0') + "L.wav  18%", 40},
      {1.0, -1, 0, 370, "takeL.wav", "...av  18%", 12},
      {1.0, -1, 0, 370, "takeL.wav", "18%", 8},
      {1.0, -1, 0, 370, "takeL.wav", "", 3},
  };
  for (const Row& row : cases) {
    const std::string text =
        progress_text(row.elapsed, row.last_drawn, row.channel, row.copied, 1000, row.output, row.columns);
    EXPECT_EQ(text, row.shown) << row.elapsed << " " << row.output << " " << row.columns;
    EXPECT_LT(text.size(), row.columns == 0 ? 80 : row.columns);
  }
}

}  // namespace
}  // namespace tessmar
