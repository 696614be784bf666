// The mono PCM header that starts each output file: 44 bytes, or 80 for an RF64 file past 4 GiB.
#pragma once

#include <cstdint>
#include <string>

#include "wav/probe.h"

namespace tessmar {

// Creates or empties the named file and writes a header for frames mono samples.
void MAKE_HEADER(const std::string& name, std::uint32_t sample_rate, std::uint32_t bits, std::uint64_t frames);

// Header stage: the left file's header, then the right one's, before any sample is copied.
// Before emptying either file, refuses an output that is the input or standard output, two
// outputs that are one, and a right output that cannot be written.
void write_headers(const std::string& input, const Attributes& attributes, const std::string& left,
                   const std::string& right);

}  // namespace tessmar
