// A failure unwinds to the driver, which closes, restates or removes the run's files first.
#include "wav/fail.h"

namespace tessmar {

void fail(std::string_view message, int status) { throw Failure(std::string(message), status); }

void stop_if_asked() {
  if (stop_signal != 0) {
    fail("", 128 + stop_signal);
  }
}

}  // namespace tessmar
