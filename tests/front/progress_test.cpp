// What the progress line says, and when it says nothing.
#include "front/progress.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

namespace tessmar {
namespace {

TEST(ProgressLine, ShowsTheWholeSplitsPercentAtMostFourTimesASecondAfterTheFirst) {
  const std::string kLong = std::string(200, 'n') + "\xC3\xA9L.wav";  // an e with an accent: two columns, to be safe
  // elapsed, last drawn, channel, frames copied of 1000, output, what shows
  const std::tuple<double, double, int, std::uint64_t, std::string, std::string> cases[] = {
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
       "c.wav",
       "a?b?c.wav  18%"},
  };
  for (const auto& [elapsed, last_drawn, channel, copied, output, shown] : cases) {
    const std::string text = progress_text(elapsed, last_drawn, channel, copied, 1000, output);
    EXPECT_EQ(text, shown) << elapsed << " " << output;
    EXPECT_LE(columns(text), 79U);
  }
}

}  // namespace
}  // namespace tessmar
