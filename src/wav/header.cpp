// Writes the mono headers, one field at a time through the codec, and restates the header of an
// output left unfinished.
#include "wav/header.h"

#include <unistd.h>

#include <algorithm>
#include <string_view>

#include "wav/codec.h"
#include "wav/fail.h"

namespace tessmar {
namespace {

// A 32-bit size field that cannot hold the size: the real one stands in the ds64 chunk.
constexpr std::uint32_t kInDs64 = 0xFFFFFFFFU;

// Sizes in the header that the chunks behind a size field add up to.
constexpr std::uint32_t kFormatSize = 16;  // format tag, channels, rate, byte rate, alignment, bits: 2+2+4+4+2+2
constexpr std::uint32_t kDs64Size = 28;    // RIFF size, data size, frames: 8+8+8; no table of other sizes: 4
// "WAVE" 4, format chunk 8+16, data chunk's header 8
constexpr std::uint64_t kRiffAroundData = 4 + 8 + kFormatSize + 8;
// "WAVE" 4, ds64 chunk 8+28, format chunk 8+16, data chunk's header 8
constexpr std::uint64_t kRf64AroundData = 4 + 8 + kDs64Size + 8 + kFormatSize + 8;

void put(std::vector<unsigned char>& bytes, std::string_view id) {
  bytes.resize(bytes.size() + id.size());
  std::copy(id.begin(), id.end(), bytes.end() - static_cast<std::ptrdiff_t>(id.size()));
}

void put16(std::vector<unsigned char>& bytes, std::uint16_t value) {
  bytes.resize(bytes.size() + 2);
  Decon2(value, &bytes[bytes.size() - 2]);
}

void put32(std::vector<unsigned char>& bytes, std::uint32_t value) {
  bytes.resize(bytes.size() + 4);
  Decon4(value, &bytes[bytes.size() - 4]);
}

void put64(std::vector<unsigned char>& bytes, std::uint64_t value) {
  bytes.resize(bytes.size() + 8);
  Decon8(value, &bytes[bytes.size() - 8]);
}

// A RIFF file states its size less 8 in 32 bits; a larger output is an RF64 file, which states
// its sizes in 64 bits in a ds64 chunk ahead of the format chunk.
bool needs_rf64(std::uint32_t bits, std::uint64_t frames) { return frames * (bits / 8) + kRiffAroundData > kInDs64; }

std::vector<unsigned char> header_bytes(std::uint32_t sample_rate, std::uint32_t bits, std::uint64_t frames,
                                        bool rf64) {
  const std::uint32_t bytes_per_sample = bits / 8;
  const std::uint64_t data_size = frames * bytes_per_sample;
  std::vector<unsigned char> bytes;
  if (rf64) {
    put(bytes, "RF64");
    put32(bytes, kInDs64);
    put(bytes, "WAVE");
    put(bytes, "ds64");
    put32(bytes, kDs64Size);
    put64(bytes, data_size + kRf64AroundData);  // the file's length less 8
    put64(bytes, data_size);
    put64(bytes, frames);
    put32(bytes, 0);  // no table of other chunks' sizes
  } else {
    put(bytes, "RIFF");
    put32(bytes, static_cast<std::uint32_t>(data_size + kRiffAroundData));
    put(bytes, "WAVE");
  }
  put(bytes, "fmt ");
  put32(bytes, kFormatSize);
  put16(bytes, 1);  // integer PCM, whatever the input's own format tag
  put16(bytes, 1);  // one channel
  put32(bytes, sample_rate);
  put32(bytes, sample_rate * bytes_per_sample);
  put16(bytes, static_cast<std::uint16_t>(bytes_per_sample));
  put16(bytes, static_cast<std::uint16_t>(bits));
  put(bytes, "data");
  put32(bytes, rf64 ? kInDs64 : static_cast<std::uint32_t>(data_size));
  return bytes;
}

void write_header(const File& output, const std::vector<unsigned char>& header) {
  write_all(output, header.data(), header.size());
  flush(output);
}

}  // namespace

std::vector<unsigned char> header_bytes(std::uint32_t sample_rate, std::uint32_t bits, std::uint64_t frames) {
  return header_bytes(sample_rate, bits, frames, needs_rf64(bits, frames));
}

void MAKE_HEADER(const File& output, std::uint32_t sample_rate, std::uint32_t bits, std::uint64_t frames) {
  const std::vector<unsigned char> header = header_bytes(sample_rate, bits, frames);
  write_header(output, header);
  cut(output, static_cast<std::int64_t>(header.size()));
}

void restate_header(const File& output, std::uint32_t sample_rate, std::uint32_t bits, std::uint64_t stated) {
  const bool rf64 = needs_rf64(bits, stated);
  const auto header = static_cast<std::int64_t>(header_bytes(sample_rate, bits, 0, rf64).size());
  drop_buffered(output);
  const std::int64_t length = identify(fileno(output.get())).length;
  const std::uint64_t held = length > header ? static_cast<std::uint64_t>(length - header) / (bits / 8) : 0;
  if (ftruncate(fileno(output.get()), header + static_cast<std::int64_t>(held * (bits / 8))) != 0 ||
      fseeko(output.get(), 0, SEEK_SET) != 0) {
    fail(Fault::kWrite);
  }
  write_header(output, header_bytes(sample_rate, bits, held, rf64));
}

}  // namespace tessmar
