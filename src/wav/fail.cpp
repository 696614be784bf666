// Ends the process with a message; the fuzzer and the unit tests link a throwing stand-in.
#include "wav/fail.h"

#include <cstdio>
#include <cstdlib>

namespace tessmar {

void fail(std::string_view message, int status, std::FILE* stream) {
  if (before_failure) {
    before_failure();
  }
  // Nothing is left to report a failed report to.
  (void)std::fwrite(message.data(), 1, message.size(), stream);
  (void)std::fputc('\n', stream);
  std::exit(status);
}

}  // namespace tessmar
