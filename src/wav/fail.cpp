// Ends the process with a message; the fuzzer and the unit tests link a throwing stand-in.
#include "wav/fail.h"

#include <cstdio>
#include <cstdlib>

namespace tessmar {

void fail(std::string_view message, int status) {
  std::fwrite(message.data(), 1, message.size(), stdout);
  std::fputc('\n', stdout);
  std::exit(status);
}

}  // namespace tessmar
