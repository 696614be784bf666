// The mono PCM header that starts each output file: 44 bytes, or 80 for an RF64 file past 4 GiB.
#pragma once

#include <cstdint>
#include <vector>

#include "wav/io.h"

namespace tessmar {

// The header's bytes for frames mono samples, every field through the codec: a RIFF header, or
// an RF64 one where the RIFF size cannot state the file's.
std::vector<unsigned char> header_bytes(std::uint32_t sample_rate, std::uint32_t bits, std::uint64_t frames);

// Writes the header for frames mono samples over the output's first bytes in one write, and only
// then cuts a file that was longer to the header's length, so that an old file whose header does
// not go out keeps its bytes.
void MAKE_HEADER(const File& output, std::uint32_t sample_rate, std::uint32_t bits, std::uint64_t frames);

// Makes an output that was left unfinished a valid file: its header, in the layout it has for the
// stated frames, states the whole frames the file holds, and a part frame at the end is cut off.
void restate_header(const File& output, std::uint32_t sample_rate, std::uint32_t bits, std::uint64_t stated);

}  // namespace tessmar
