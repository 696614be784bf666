// What the throwing stand-in for the failure helper raises, so a failure can be caught in-process.
#pragma once

#include <stdexcept>
#include <string>

namespace tessmar_test {

struct Failure : std::runtime_error {
  Failure(const std::string& message, int exit_status) : std::runtime_error(message), status(exit_status) {}
  int status;
};

}  // namespace tessmar_test
