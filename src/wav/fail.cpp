// A failure unwinds to the driver, which closes, restates or removes the run's files first.
#include "wav/fail.h"

namespace tessmar {

void fail(Fault fault, const std::string& input) { throw Failure(fault, input); }

}  // namespace tessmar
