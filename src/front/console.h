// What the program says, and where: the dialogue, the messages and the note on ignored arguments.
// No byte of it lands in the input or an output through standard output or standard error.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "wav/io.h"

namespace tessmar {

struct Console {
  FileId out;  // the files standard output and standard error lead to
  FileId err;
  // Standard output is a file: the dialogue's text waits until the name is checked, and is dropped
  // where it would land in the input or an output.
  bool holding = false;
  std::string held;
  std::vector<FileId> guarded;  // the input and the outputs, as far as they are known
  bool out_failed = false;      // standard output could not take a line
};

Console open_console();

// Adds a file that nothing printed may land in.
void guard(Console& console, const FileId& file);

// Whether a stream leads into the input or an output.
bool into_run(const Console& console, const FileId& stream);

// A prompt or the help: at once, or held back while standard output is a file.
void show(Console& console, std::string_view text);

// Writes what the dialogue held back, unless standard output leads into the input or an output.
void release(Console& console);

// One line on standard output, written out; false where standard output leads into the input or an
// output, or cannot take it.
bool print(Console& console, std::string_view line);

// One line on standard error, unless it leads into the input or an output.
void note(const Console& console, std::string_view line);

// A message: on standard output, or on standard error where standard output cannot take it.
void report(Console& console, std::string_view message);

}  // namespace tessmar
