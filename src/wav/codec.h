// Header and tag fields, assembled and taken apart one byte at a time, so neither the host's
// byte order nor any struct layout reaches a file. WAV fields are little-endian.
#pragma once

#include <cstdint>

namespace tessmar {

std::uint16_t Assem2(const unsigned char* bytes);
std::uint32_t Assem4(const unsigned char* bytes);
std::uint64_t Assem8(const unsigned char* bytes);
// An ID3v2 size: four bytes of 7 bits each, the most significant first.
std::uint32_t AssemSynch4(const unsigned char* bytes);
// Four bytes of 8 bits, the most significant first: an ID3v2 size as some taggers write it.
std::uint32_t AssemBig4(const unsigned char* bytes);
void Decon2(std::uint16_t value, unsigned char* bytes);
void Decon4(std::uint32_t value, unsigned char* bytes);
void Decon8(std::uint64_t value, unsigned char* bytes);

}  // namespace tessmar
