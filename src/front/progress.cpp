// A line redrawn in place with a carriage return, blanked out before anything else is printed.
#include "front/progress.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <clocale>
#include <csignal>
#include <cwchar>
#include <cwctype>

#include "front/stop.h"

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

// The name's bytes as ls shows them on a terminal: each byte or character that is not valid and
// printable in the character set of the locale ctype names as '?'. Only this decoding uses the
// locale: nothing else the program prints or reads changes with it.
std::string printable(std::string_view name, const char* ctype) {
  locale_t charset = newlocale(LC_CTYPE_MASK, ctype, nullptr);
  charset = charset != nullptr ? charset : newlocale(LC_CTYPE_MASK, "C", nullptr);
  const locale_t before = uselocale(charset);
  std::string shown;
  std::mbstate_t state{};
  for (std::size_t at = 0, length = 0; at < name.size(); at += length) {
    wchar_t character = 0;
    length = std::mbrtowc(&character, &name[at], name.size() - at, &state);
    const bool valid = length != static_cast<std::size_t>(-1) && length != static_cast<std::size_t>(-2);
    length = valid ? std::max<std::size_t>(length, 1) : 1;
    state = valid ? state : std::mbstate_t{};
    shown.append(valid && std::iswprint(static_cast<std::wint_t>(character)) != 0 ? name.substr(at, length) : "?");
  }
  uselocale(before);
  freelocale(charset);
  return shown;
}

// The name as the line shows it, one too long cut from the front, where the output names differ,
// at the start of a character where it can be.
std::string fit(std::string_view name, std::size_t room, const char* ctype) {
  std::string shown = printable(name, ctype);
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

// Writes with write(2) alone, as a signal handler may: a line that cannot be shown changes
// nothing of the split.
void put(const char* bytes, std::size_t size) {
  while (size > 0) {
    const ssize_t written = write(STDERR_FILENO, bytes, size);
    if (written <= 0 && errno != EINTR) {
      return;
    }
    bytes += written > 0 ? written : 0;
    size -= written > 0 ? static_cast<std::size_t>(written) : 0;
  }
}

// Blanks out as many columns of the line, leaving the cursor at its start.
void blank(std::size_t width) {
  static constexpr std::array<char, 64> kSpaces = [] {
    std::array<char, 64> spaces{};
    spaces.fill(' ');
    return spaces;
  }();
  put("\r", 1);
  for (std::size_t left = width; left > 0; left -= std::min(left, kSpaces.size())) {
    put(kSpaces.data(), std::min(left, kSpaces.size()));
  }
  put("\r", 1);
}

// Whether the terminal shows what the run writes: not where another process group has its
// foreground, as a shell gives it to the next command while the run goes on in the background.
// Where the terminal is not the run's own, it cannot tell: then the line shows as ever.
bool in_foreground() {
  const pid_t group = tcgetpgrp(STDERR_FILENO);
  return group == -1 || group == getpgrp();
}

// Draws or erases with SIGTSTP held back, so that no stop comes between the look at the
// foreground and the write.
template <typename Drawing>
void in_foreground(Drawing drawing) {
  sigset_t stop{};
  sigset_t before{};
  (void)sigemptyset(&stop);
  (void)sigaddset(&stop, SIGTSTP);
  (void)sigprocmask(SIG_BLOCK, &stop, &before);
  if (in_foreground()) {
    drawing();
  }
  (void)sigprocmask(SIG_SETMASK, &before, nullptr);
}

void set_stop_action(void (*handler)(int)) {
  struct sigaction action {};
  action.sa_handler = handler;
  action.sa_flags = SA_RESTART;  // a wait the stop cuts short goes on after fg
  (void)sigemptyset(&action.sa_mask);
  (void)sigaction(SIGTSTP, &action, nullptr);
}

// Ctrl-Z: the line is erased, then the run stops at once; once continued, it waits for the next.
extern "C" void on_terminal_stop(int) {
  const int saved = errno;
  if (in_foreground()) {
    blank(widest(terminal_columns()));
  }
  act_by_default(SIGTSTP);
  set_stop_action(on_terminal_stop);
  errno = saved;
}

}  // namespace

std::string progress_text(double elapsed, double last_drawn, int channel, std::uint64_t copied, std::uint64_t frames,
                          std::string_view output, std::size_t columns, const char* ctype) {
  constexpr double kQuiet = 1.0;
  constexpr double kRedraw = 0.25;
  if (elapsed < kQuiet || (last_drawn >= 0 && elapsed - last_drawn < kRedraw) || frames == 0) {
    return {};
  }
  const std::uint64_t done = static_cast<std::uint64_t>(channel) * frames + copied;
  const std::string percent = std::to_string(done * 100 / (2 * frames)) + "%";
  const std::size_t width = widest(columns);
  if (width >= kPercent + kLeastName) {
    return fit(output, width - kPercent, ctype) + "  " + percent;
  }
  return percent.size() <= width ? percent : "";
}

void erase_on_stop() {
  struct sigaction current {};
  if (sigaction(SIGTSTP, nullptr, &current) == 0 && current.sa_handler != SIG_IGN) {
    set_stop_action(on_terminal_stop);
  }
}

void draw(ProgressLine& line, int channel, std::uint64_t copied, std::uint64_t frames, std::string_view output) {
  if (!line.on_terminal) {
    return;
  }
  const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - line.start).count();
  const std::string text =
      progress_text(elapsed, line.last_drawn, channel, copied, frames, output, terminal_columns(), "");
  if (text.empty()) {
    return;
  }
  line.last_drawn = elapsed;
  in_foreground([&] {
    erase(line);
    put(text.data(), text.size());
    line.width = text.size();
  });
}

void erase(ProgressLine& line) {
  in_foreground([&] {
    if (line.width > 0) {
      blank(std::min(line.width, widest(terminal_columns())));
      line.width = 0;
    }
  });
}

}  // namespace tessmar
