// Standard output is checked after each line; the error stream is unbuffered.
#include "front/console.h"

#include <stdio_ext.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>

namespace tessmar {
namespace {

// A line that cannot be written to the error stream has nowhere else to go.
void put_line(std::FILE* stream, std::string_view line) {
  (void)std::fwrite(line.data(), 1, line.size(), stream);
  (void)std::fputc('\n', stream);
}

}  // namespace

Console open_console() {
  Console console;
  console.out = identify(STDOUT_FILENO);
  console.err = identify(STDERR_FILENO);
  console.holding = console.out.kind == S_IFREG;
  return console;
}

void guard(Console& console, const FileId& file) { console.guarded.push_back(file); }

bool into_run(const Console& console, const FileId& stream) {
  return std::any_of(console.guarded.begin(), console.guarded.end(),
                     [&](const FileId& file) { return one_file(stream, file); });
}

void show(Console& console, std::string_view text) {
  if (console.holding) {
    console.held += text;
    return;
  }
  // A prompt that cannot be shown changes nothing of the split.
  (void)std::fwrite(text.data(), 1, text.size(), stdout);
  (void)std::fflush(stdout);
}

void release(Console& console) {
  if (!console.holding) {
    return;
  }
  console.holding = false;
  if (!into_run(console, console.out)) {
    show(console, console.held);
  }
  console.held.clear();
}

bool print(Console& console, std::string_view line) {
  release(console);
  if (console.out_failed || into_run(console, console.out)) {
    return false;
  }
  put_line(stdout, line);
  if (std::fflush(stdout) != 0 || std::ferror(stdout) != 0) {
    // What did not go out is dropped, so that it cannot go out behind a later message.
    __fpurge(stdout);
    console.out_failed = true;
  }
  return !console.out_failed;
}

void note(const Console& console, std::string_view line) {
  if (!into_run(console, console.err)) {
    put_line(stderr, line);
  }
}

void report(Console& console, std::string_view message) {
  if (!print(console, message)) {
    note(console, message);
  }
}

}  // namespace tessmar
