// How a run ends early: a failure, thrown where it is found and reported by the driver, or a
// signal that asks the run to stop.
#pragma once

#include <csignal>
#include <stdexcept>
#include <string>
#include <string_view>

namespace tessmar {

// A message for the user (empty: none) and the exit status. The driver cleans up the run's
// files before it prints the message.
struct Failure : std::runtime_error {
  Failure(const std::string& message, int exit_status) : std::runtime_error(message), status(exit_status) {}
  int status;
};

[[noreturn]] void fail(std::string_view message, int status);

// The signal that asked the run to stop, 0 while none has. Its handler only sets it; the copy
// looks at it after each block, and every wait that a signal cuts short looks at it first.
inline volatile std::sig_atomic_t stop_signal = 0;

// Ends the run as a failure where a signal has asked it to stop; the driver sees the signal.
void stop_if_asked();

}  // namespace tessmar
