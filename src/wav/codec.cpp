// Header fields, least significant byte first; ID3v2 sizes, most significant first.
#include "wav/codec.h"

namespace tessmar {

std::uint16_t Assem2(const unsigned char* bytes) { return static_cast<std::uint16_t>(bytes[0] | (bytes[1] << 8U)); }

std::uint32_t Assem4(const unsigned char* bytes) {
  return static_cast<std::uint32_t>(bytes[0]) | (static_cast<std::uint32_t>(bytes[1]) << 8U) |
         (static_cast<std::uint32_t>(bytes[2]) << 16U) | (static_cast<std::uint32_t>(bytes[3]) << 24U);
}

std::uint64_t Assem8(const unsigned char* bytes) {
  return static_cast<std::uint64_t>(Assem4(bytes)) | (static_cast<std::uint64_t>(Assem4(bytes + 4)) << 32U);
}

std::uint32_t AssemSynch4(const unsigned char* bytes) {
  return (static_cast<std::uint32_t>(bytes[0] & 0x7FU) << 21U) | (static_cast<std::uint32_t>(bytes[1] & 0x7FU) << 14U) |
         (static_cast<std::uint32_t>(bytes[2] & 0x7FU) << 7U) | static_cast<std::uint32_t>(bytes[3] & 0x7FU);
}

std::uint32_t AssemBig4(const unsigned char* bytes) {
  return (static_cast<std::uint32_t>(bytes[0]) << 24U) | (static_cast<std::uint32_t>(bytes[1]) << 16U) |
         (static_cast<std::uint32_t>(bytes[2]) << 8U) | static_cast<std::uint32_t>(bytes[3]);
}

void Decon2(std::uint16_t value, unsigned char* bytes) {
  bytes[0] = static_cast<unsigned char>(value & 0xFFU);
  bytes[1] = static_cast<unsigned char>(value >> 8U);
}

void Decon4(std::uint32_t value, unsigned char* bytes) {
  for (unsigned i = 0; i < 4; ++i) {
    bytes[i] = static_cast<unsigned char>((value >> (8U * i)) & 0xFFU);
  }
}

void Decon8(std::uint64_t value, unsigned char* bytes) {
  Decon4(static_cast<std::uint32_t>(value & 0xFFFFFFFFU), bytes);
  Decon4(static_cast<std::uint32_t>(value >> 32U), bytes + 4);
}

}  // namespace tessmar
