// How a run ends early: a failure, thrown where it is found and reported by the driver.
#pragma once

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

}  // namespace tessmar
