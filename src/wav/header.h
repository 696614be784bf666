// The 44-byte mono PCM header that starts each output file.
#pragma once

#include <cstdint>
#include <string>

#include "wav/probe.h"

namespace tessmar {

constexpr std::uint32_t kHeaderSize = 44;

// Creates or empties the named file and writes a header for frames mono samples.
void MAKE_HEADER(const std::string& name, std::uint32_t sample_rate, std::uint32_t bits, std::uint32_t frames);

// The frame count both headers state; refuses a split whose outputs would pass 4 GiB.
std::uint32_t header_frames(const Attributes& attributes);

// Header stage: the left file's header, then the right one's, before any sample is copied.
// Before emptying either file, refuses an output that is the input or standard output, two
// outputs that are one, and a right output that cannot be written.
void write_headers(const std::string& input, const Attributes& attributes, const std::string& left,
                   const std::string& right);

}  // namespace tessmar
