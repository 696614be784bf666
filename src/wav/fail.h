// The one way a run ends early: a line on standard output and an exit status.
#pragma once

#include <string_view>

namespace tessmar {

// Prints the message as one line on standard output and ends the process with the status.
[[noreturn]] void fail(std::string_view message, int status);

}  // namespace tessmar
