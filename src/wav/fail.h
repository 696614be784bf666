// The one way a run ends early: a line on standard output and an exit status.
#pragma once

#include <cstdio>
#include <functional>
#include <string_view>

namespace tessmar {

// The one hook a run may give the failure helper: while a progress line may show on the terminal,
// the driver sets it to erase that line, so that the message stands alone on its line.
inline std::function<void()> before_failure;

// Prints the message as one line on standard output, or on the error stream where standard output
// cannot take it, and ends the process with the status.
[[noreturn]] void fail(std::string_view message, int status, std::FILE* stream = stdout);

}  // namespace tessmar
