// A line redrawn in place with a carriage return, blanked out before anything else is printed.
#include "front/progress.h"

#include <cstdio>

namespace tessmar {
namespace {

// One column short of a common terminal's 80, so the line never wraps.
constexpr std::size_t kWidest = 79;
constexpr std::size_t kPercent = 6;  // "  100%"

bool continuation(unsigned char byte) { return (byte & 0xC0U) == 0x80U; }

// The name as the line shows it: control bytes as '?', and one too long cut from the front, where
// the output names differ.
std::string fit(std::string_view name, std::size_t widest) {
  std::string shown;
  for (const char letter : name) {
    const auto byte = static_cast<unsigned char>(letter);
    shown.push_back(byte < 0x20 || byte == 0x7F ? '?' : letter);
  }
  if (columns(shown) <= widest) {
    return shown;
  }
  const std::string_view all = shown;
  std::size_t start = shown.size();
  std::size_t width = 3;  // the "..." in front
  while (start > 0) {
    std::size_t lead = start - 1;
    while (lead > 0 && continuation(static_cast<unsigned char>(all[lead]))) {
      --lead;
    }
    width += columns(all.substr(lead, start - lead));
    if (width > widest) {
      break;
    }
    start = lead;
  }
  return "..." + shown.substr(start);
}

void put(const std::string& text) {
  // A line that cannot be shown changes nothing of the split.
  (void)std::fwrite(text.data(), 1, text.size(), stderr);
}

}  // namespace

std::size_t columns(std::string_view text) {
  std::size_t count = 0;
  for (const char letter : text) {
    const auto byte = static_cast<unsigned char>(letter);
    count += byte < 0x80U ? 1 : continuation(byte) ? 0 : 2;
  }
  return count;
}

std::string progress_text(double elapsed, double last_drawn, int channel, std::uint64_t copied, std::uint64_t frames,
                          std::string_view output) {
  constexpr double kQuiet = 1.0;
  constexpr double kRedraw = 0.25;
  if (elapsed < kQuiet || (last_drawn >= 0 && elapsed - last_drawn < kRedraw) || frames == 0) {
    return {};
  }
  const std::uint64_t done = static_cast<std::uint64_t>(channel) * frames + copied;
  return fit(output, kWidest - kPercent) + "  " + std::to_string(done * 100 / (2 * frames)) + "%";
}

void draw(ProgressLine& line, int channel, std::uint64_t copied, std::uint64_t frames, std::string_view output) {
  if (!line.on_terminal) {
    return;
  }
  const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - line.start).count();
  const std::string text = progress_text(elapsed, line.last_drawn, channel, copied, frames, output);
  if (text.empty()) {
    return;
  }
  erase(line);
  put(text);
  line.width = columns(text);
  line.last_drawn = elapsed;
}

void erase(ProgressLine& line) {
  if (line.width > 0) {
    std::string blank(line.width + 2, ' ');
    blank.front() = blank.back() = '\r';
    put(blank);
    line.width = 0;
  }
}

}  // namespace tessmar
