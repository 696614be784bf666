// A failure unwinds to the driver, which closes what the run opened before it reports it.
#include "wav/fail.h"

namespace tessmar {

void fail(std::string_view message, int status) { throw Failure(std::string(message), status); }

}  // namespace tessmar
