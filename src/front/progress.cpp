// A line redrawn in place with a carriage return, blanked out before anything else is printed.
#include "front/progress.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>

namespace tessmar {
namespace {

constexpr std::size_t kUnknownColumns = 80;
constexpr std::size_t kPercent = 6;          // "  100%"
constexpr std::size_t kLeastName = 4;        // "..." and one byte
constexpr std::size_t kLongestSequence = 4;  // the bytes of one UTF-8 character

bool continuation(unsigned char byte) { return (byte & 0xC0U) == 0x80U; }

// The columns the line may take: one less than the terminal's, so that it never wraps.
std::size_t widest(std::size_t columns) { return (columns == 0 ? kUnknownColumns : columns) - 1; }

std::size_t terminal_columns() {
  winsize size{};
  return ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 ? size.ws_col : 0;
}

// The name as the line shows it: control bytes, DEL and the C1 controls as '?', and one too long
// cut from the front, where the output names differ, at the start of a character where it can be.
std::string fit(std::string_view name, std::size_t room) {
  std::string shown;
  for (std::size_t i = 0; i < name.size(); ++i) {
    const auto byte = static_cast<unsigned char>(name[i]);
    const bool c1 = byte == 0xC2 && i + 1 < name.size() && static_cast<unsigned char>(name[i + 1]) <= 0x9F &&
                    continuation(static_cast<unsigned char>(name[i + 1]));
    shown.push_back(byte < 0x20 || byte == 0x7F || c1 ? '?' : name[i]);
    i += c1 ? 1 : 0;
  }
  if (shown.size() <= room) {
    return shown;
  }
  std::size_t start = shown.size() - (room - 3);
  for (std::size_t skipped = 1;
       skipped < kLongestSequence && start + 1 < shown.size() && continuation(static_cast<unsigned char>(shown[start]));
       ++skipped) {
    ++start;
  }
  return "..." + shown.substr(start);
}

void put(const std::string& text) {
  // A line that cannot be shown changes nothing of the split.
  (void)std::fwrite(text.data(), 1, text.size(), stderr);
}

}  // namespace

std::string progress_text(double elapsed, double last_drawn, int channel, std::uint64_t copied, std::uint64_t frames,
                          std::string_view output, std::size_t columns) {
  constexpr double kQuiet = 1.0;
  constexpr double kRedraw = 0.25;
  if (elapsed < kQuiet || (last_drawn >= 0 && elapsed - last_drawn < kRedraw) || frames == 0) {
    return {};
  }
  const std::uint64_t done = static_cast<std::uint64_t>(channel) * frames + copied;
  const std::string percent = std::to_string(done * 100 / (2 * frames)) + "%";
  const std::size_t width = widest(columns);
  if (width >= kPercent + kLeastName) {
    return fit(output, width - kPercent) + "  " + percent;
  }
  return percent.size() <= width ? percent : "";
}

void draw(ProgressLine& line, int channel, std::uint64_t copied, std::uint64_t frames, std::string_view output) {
  if (!line.on_terminal) {
    return;
  }
  const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - line.start).count();
  const std::string text = progress_text(elapsed, line.last_drawn, channel, copied, frames, output, terminal_columns());
  if (text.empty()) {
    return;
  }
  erase(line);
  put(text);
  line.width = text.size();
  line.last_drawn = elapsed;
}

void erase(ProgressLine& line) {
  if (line.width > 0) {
    std::string blank(std::min(line.width, widest(terminal_columns())) + 2, ' ');
    blank.front() = blank.back() = '\r';
    put(blank);
    line.width = 0;
  }
}

}  // namespace tessmar
