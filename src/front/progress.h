// The progress line of a long split on a terminal: what it says, and the few lines that draw and
// erase it on the error stream, in the foreground alone.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>

namespace tessmar {

// What the line shows, given the seconds since the split began and since the line was last drawn
// (negative: never), the channel being copied (the left one is the first half of the split), its
// frames copied and its frames in all, the output being written, the terminal's columns (0:
// unknown, taken as 80) and the locale whose character set the name is shown in ("": the
// environment's). The line takes one column less, a byte a column: no character shows wider than
// its bytes. Empty where nothing is to be drawn: before one second, within a quarter second of the
// last draw, or where not even the percent fits.
std::string progress_text(double elapsed, double last_drawn, int channel, std::uint64_t copied, std::uint64_t frames,
                          std::string_view output, std::size_t columns, const char* ctype);

struct ProgressLine {
  bool on_terminal = false;  // only where the error stream is a terminal is anything drawn
  std::chrono::steady_clock::time_point start;
  double last_drawn = -1;
  std::size_t width = 0;  // the columns on screen, 0 where nothing shows
};

// From here on a stop from the terminal (Ctrl-Z) erases the line first; the next drawing after fg
// draws it again. A SIGTSTP ignored at start stays ignored.
void erase_on_stop();

// Draws the line anew where progress_text says so. In the background nothing is drawn or erased.
void draw(ProgressLine& line, int channel, std::uint64_t copied, std::uint64_t frames, std::string_view output);

// Blanks out what shows of the line, never past the terminal's width, leaving the cursor at the
// start of the empty line.
void erase(ProgressLine& line);

}  // namespace tessmar
