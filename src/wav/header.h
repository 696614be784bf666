// The mono PCM header that starts each output file: 44 bytes, or 80 for an RF64 file past 4 GiB.
#pragma once

#include <cstdint>
#include <string>

#include "wav/probe.h"

namespace tessmar {

// Empties the output and writes a header for frames mono samples.
void MAKE_HEADER(const File& output, std::uint32_t sample_rate, std::uint32_t bits, std::uint64_t frames);

// Header stage: the left file's header, then the right one's, before any sample is copied. Each
// output is marked emptied before its header is written.
void write_headers(const Attributes& attributes, Output& left, Output& right);

// Makes an output that was left unfinished a valid file: its header, in the layout it has for the
// stated frames, states the whole frames the file holds, and a part frame at the end is cut off.
void restate_header(const File& output, std::uint32_t sample_rate, std::uint32_t bits, std::uint64_t stated);

}  // namespace tessmar
