// A failure unwinds to the driver, which closes, restates or removes the run's files first.
#include "wav/fail.h"

namespace tessmar {

void fail(Fault fault, const std::string& input) { throw Failure(fault, input); }

void stop_if_asked() {
  if (stop_signal != 0) {
    fail(Fault::kStopped);
  }
}

}  // namespace tessmar
