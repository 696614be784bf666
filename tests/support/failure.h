// The program's failure, caught in-process by the tests and the fuzzer.
#pragma once

#include "wav/fail.h"

namespace tessmar_test {

using tessmar::Failure;
using tessmar::Fault;

}  // namespace tessmar_test
