// Little-endian header fields, assembled and taken apart one byte at a time,
// so neither the host's byte order nor any struct layout reaches a file.
#pragma once

#include <cstdint>

namespace tessmar {

std::uint16_t Assem2(const unsigned char* bytes);
std::uint32_t Assem4(const unsigned char* bytes);
void Decon2(std::uint16_t value, unsigned char* bytes);
void Decon4(std::uint32_t value, unsigned char* bytes);

}  // namespace tessmar
