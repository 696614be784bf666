// Turns a run's early end into an exception, for in-process tests and the fuzzer.
#include "support/failure.h"
#include "wav/fail.h"

namespace tessmar {

void fail(std::string_view message, int status, std::FILE* /*stream*/) {
  throw tessmar_test::Failure(std::string(message), status);
}

}  // namespace tessmar
