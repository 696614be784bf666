// The one way a run ends early: a line on standard output and an exit status.
#pragma once

#include <cstdio>
#include <string_view>

namespace tessmar {

// Prints the message as one line on standard output, or on the error stream where standard output
// cannot take it, and ends the process with the status.
[[noreturn]] void fail(std::string_view message, int status, std::FILE* stream = stdout);

}  // namespace tessmar
