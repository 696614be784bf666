// Writes the mono headers, one field at a time through the codec, and restates the header of an
// output left unfinished.
#include "wav/header.h"

#include <unistd.h>

#include <algorithm>
#include <array>
#include <string_view>
#include <vector>

#include "wav/codec.h"
#include "wav/fail.h"
#include "wav/io.h"

namespace tessmar {
namespace {

// One header field, encoded and ready for its own write.
struct Field {
  std::array<unsigned char, 8> bytes{};
  std::size_t size = 0;
};

Field text(std::string_view id) {
  Field field{{}, 4};
  std::copy(id.begin(), id.end(), field.bytes.begin());
  return field;
}

Field u16(std::uint16_t value) {
  Field field{{}, 2};
  Decon2(value, field.bytes.data());
  return field;
}

Field u32(std::uint32_t value) {
  Field field{{}, 4};
  Decon4(value, field.bytes.data());
  return field;
}

Field u64(std::uint64_t value) {
  Field field{{}, 8};
  Decon8(value, field.bytes.data());
  return field;
}

// A 32-bit size field that cannot hold the size: the real one stands in the ds64 chunk.
constexpr std::uint32_t kInDs64 = 0xFFFFFFFFU;

// The header's fields for frames mono samples: a RIFF header, or an RF64 one where rf64.
std::vector<Field> header_fields(std::uint32_t sample_rate, std::uint32_t bits, std::uint64_t frames, bool rf64) {
  const std::uint32_t bytes_per_sample = bits / 8;
  const std::uint64_t data_size = frames * bytes_per_sample;
  const std::array<Field, 8> format = {
      text("fmt "),
      u32(16),
      u16(1),  // integer PCM, whatever the input's own format tag
      u16(1),  // one channel
      u32(sample_rate),
      u32(sample_rate * bytes_per_sample),
      u16(static_cast<std::uint16_t>(bytes_per_sample)),
      u16(static_cast<std::uint16_t>(bits)),
  };
  std::vector<Field> fields;
  if (rf64) {
    fields = {
        text("RF64"),
        u32(kInDs64),
        text("WAVE"),
        text("ds64"),
        u32(28),
        u64(data_size + 72),  // the file's length less 8
        u64(data_size),
        u64(frames),
        u32(0),  // no table of other chunks' sizes
    };
  } else {
    fields = {text("RIFF"), u32(static_cast<std::uint32_t>(data_size + 36)), text("WAVE")};
  }
  fields.insert(fields.end(), format.begin(), format.end());
  fields.push_back(text("data"));
  fields.push_back(u32(rf64 ? kInDs64 : static_cast<std::uint32_t>(data_size)));
  return fields;
}

// A RIFF file states its size less 8 in 32 bits; a larger output is an RF64 file, which states
// its sizes in 64 bits in a ds64 chunk ahead of the format chunk.
bool needs_rf64(std::uint32_t bits, std::uint64_t frames) { return frames * (bits / 8) + 36 > kInDs64; }

void write_fields(const File& output, const std::vector<Field>& fields) {
  for (const Field& field : fields) {
    write_all(output, field.bytes.data(), field.size);
  }
  flush(output);
}

}  // namespace

void MAKE_HEADER(const File& output, std::uint32_t sample_rate, std::uint32_t bits, std::uint64_t frames) {
  const std::vector<Field> fields = header_fields(sample_rate, bits, frames, needs_rf64(bits, frames));
  empty(output);
  write_fields(output, fields);
}

void write_headers(const Attributes& attributes, Output& left, Output& right) {
  const std::uint64_t frames = whole_frames(attributes);
  for (Output* output : {&left, &right}) {
    output->emptied = true;
    MAKE_HEADER(output->file, attributes.sample_rate, attributes.bits_per_sample, frames);
  }
}

void restate_header(const File& output, std::uint32_t sample_rate, std::uint32_t bits, std::uint64_t stated) {
  const bool rf64 = needs_rf64(bits, stated);
  std::int64_t header = 0;
  for (const Field& field : header_fields(sample_rate, bits, 0, rf64)) {
    header += static_cast<std::int64_t>(field.size);
  }
  drop_buffered(output);
  const std::int64_t length = identify(fileno(output.get())).length;
  const std::uint64_t held = length > header ? static_cast<std::uint64_t>(length - header) / (bits / 8) : 0;
  if (ftruncate(fileno(output.get()), header + static_cast<std::int64_t>(held * (bits / 8))) != 0 ||
      fseeko(output.get(), 0, SEEK_SET) != 0) {
    fail(Fault::kWrite);
  }
  write_fields(output, header_fields(sample_rate, bits, held, rf64));
}

}  // namespace tessmar
