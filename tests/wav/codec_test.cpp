// Field codec: both directions, on the values where byte order and sign go wrong.
#include "wav/codec.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>

namespace tessmar {
namespace {

struct Value {
  std::uint32_t value;
  std::array<unsigned char, 4> bytes;
};

TEST(Codec, FourByteFieldsAreLeastSignificantFirstInBothDirections) {
  const Value cases[] = {
      {0, {0x00, 0x00, 0x00, 0x00}},          {16, {0x10, 0x00, 0x00, 0x00}},
      {36, {0x24, 0x00, 0x00, 0x00}},         {44100, {0x44, 0xAC, 0x00, 0x00}},
      {0x7FFFFFFF, {0xFF, 0xFF, 0xFF, 0x7F}}, {0x80000000, {0x00, 0x00, 0x00, 0x80}},
      {0x80000024, {0x24, 0x00, 0x00, 0x80}}, {0xFFFFFFFF, {0xFF, 0xFF, 0xFF, 0xFF}},
      {0x01020304, {0x04, 0x03, 0x02, 0x01}},
  };
  for (const auto& [value, bytes] : cases) {
    std::array<unsigned char, 4> written{};
    Decon4(value, written.data());
    EXPECT_EQ(written, bytes) << value;
    EXPECT_EQ(Assem4(bytes.data()), value) << value;
  }
}

TEST(Codec, TwoByteFieldsAreLeastSignificantFirstInBothDirections) {
  const Value cases[] = {
      {1, {0x01, 0x00}}, {24, {0x18, 0x00}}, {0x0102, {0x02, 0x01}}, {0x8000, {0x00, 0x80}}, {65535, {0xFF, 0xFF}},
  };
  for (const auto& [value, bytes] : cases) {
    std::array<unsigned char, 4> written{};
    Decon2(static_cast<std::uint16_t>(value), written.data());
    EXPECT_EQ(written, bytes) << value;
    EXPECT_EQ(Assem2(bytes.data()), value) << value;
  }
}

}  // namespace
}  // namespace tessmar
