// Builds WAV files byte by byte for the tests, independently of the program's own codec.
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tessmar_test {

inline std::string le(std::uint64_t value, int width) {
  std::string bytes;
  for (int i = 0; i < width; ++i) {
    bytes.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
  }
  return bytes;
}

// The number of width bytes at `at`, least significant first: what le() encodes.
inline std::uint64_t value_at(std::string_view bytes, std::size_t at, int width) {
  std::uint64_t value = 0;
  for (int i = width - 1; i >= 0; --i) {
    value = value << 8U | static_cast<unsigned char>(bytes[at + static_cast<std::size_t>(i)]);
  }
  return value;
}

// A chunk with its true size, padded to even length.
inline std::string chunk(std::string_view id, std::string_view body) {
  std::string bytes = std::string(id) + le(body.size(), 4) + std::string(body);
  return body.size() % 2 == 1 ? bytes + '\0' : bytes;
}

inline std::string fmt_chunk(std::uint16_t channels, std::uint32_t rate, std::uint16_t bits, std::uint16_t tag = 1) {
  const std::uint16_t align = static_cast<std::uint16_t>(channels * bits / 8);
  return chunk("fmt ", le(tag, 2) + le(channels, 2) + le(rate, 4) + le(std::uint64_t{rate} * align, 4) + le(align, 2) +
                           le(bits, 2));
}

inline std::string riff(std::string_view chunks) {
  return "RIFF" + le(4 + chunks.size(), 4) + "WAVE" + std::string(chunks);
}

// count bytes in which no two neighbouring samples of a channel look alike.
inline std::string pattern(std::size_t count, std::uint32_t seed = 1) {
  std::string bytes(count, '\0');
  for (std::size_t i = 0; i < count; ++i) {
    seed = seed * 1103515245U + 12345U;
    bytes[i] = static_cast<char>(seed >> 16);
  }
  return bytes;
}

inline std::string stereo_wav(std::uint16_t bits, std::string_view samples, std::uint32_t rate = 44100) {
  return riff(fmt_chunk(2, rate, bits) + chunk("data", samples));
}

inline std::string mono_header(std::uint16_t bits, std::uint32_t rate, std::uint32_t data_size) {
  const std::size_t width = bits / 8;
  return "RIFF" + le(data_size + 36U, 4) + "WAVE" + "fmt " + le(16, 4) + le(1, 2) + le(1, 2) + le(rate, 4) +
         le(rate * width, 4) + le(width, 2) + le(bits, 2) + "data" + le(data_size, 4);
}

// What each output must hold: a 44-byte mono header and the channel's samples of whole frames.
inline std::string mono_wav(std::uint16_t bits, std::uint32_t rate, std::string_view frames, int channel) {
  const std::size_t width = bits / 8;
  std::string samples;
  for (std::size_t at = 0; at + 2 * width <= frames.size(); at += 2 * width) {
    samples += frames.substr(at + static_cast<std::size_t>(channel) * width, width);
  }
  return mono_header(bits, rate, static_cast<std::uint32_t>(samples.size())) + samples;
}

// A sparse file: the header, then zeros up to length, with a few bytes placed far in.
inline void write_sparse(const std::filesystem::path& path, const std::string& header, std::uint64_t length,
                         const std::vector<std::pair<std::uint64_t, std::string>>& placed = {}) {
  std::ofstream(path, std::ios::binary) << header;
  std::filesystem::resize_file(path, length);
  std::fstream file(path, std::ios::binary | std::ios::in | std::ios::out);
  for (const auto& [at, bytes] : placed) {
    file.seekp(static_cast<std::streamoff>(at));
    file << bytes;
  }
}

inline std::string bytes_at(const std::filesystem::path& path, std::uint64_t at, std::size_t count) {
  std::ifstream file(path, std::ios::binary);
  file.seekg(static_cast<std::streamoff>(at));
  std::string bytes(count, '\0');
  file.read(bytes.data(), static_cast<std::streamsize>(count));
  return bytes;
}

}  // namespace tessmar_test
