// Finds the format and data chunks, checks for stereo 16 or 24 bits, and measures the samples.
#include "wav/probe.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <string_view>
#include <vector>

#include "wav/codec.h"
#include "wav/fail.h"
#include "wav/io.h"

namespace tessmar {
namespace {

constexpr std::int64_t kNotFound = -1;

// Four bytes from offset on; those the head does not hold (past the end of the file) are zero.
std::array<unsigned char, 4> bytes_at(std::span<const unsigned char> head, std::int64_t offset) {
  std::array<unsigned char, 4> field{};
  for (std::size_t i = 0; i < field.size(); ++i) {
    const auto at = static_cast<std::uint64_t>(offset) + i;
    if (at < head.size()) {
      field[i] = head[at];
    }
  }
  return field;
}

bool tag_at(std::span<const unsigned char> head, std::int64_t offset, std::string_view tag) {
  const auto field = bytes_at(head, offset);
  return std::equal(tag.begin(), tag.end(), field.begin(),
                    [](char letter, unsigned char byte) { return static_cast<unsigned char>(letter) == byte; });
}

// The first even offset from 2 on where the letters stand, whether or not a chunk starts there.
std::int64_t scan_for(std::span<const unsigned char> head, std::string_view tag) {
  for (std::int64_t offset = 2; offset <= kTagWindow; offset += 2) {
    if (tag_at(head, offset, tag)) {
      return offset;
    }
  }
  return kNotFound;
}

// Four printable characters from at on, as every chunk id is made of.
bool chunk_id_at(std::span<const unsigned char> bytes, std::size_t at) {
  if (bytes.size() < at + 4) {
    return false;
  }
  const auto id = bytes.subspan(at, 4);
  return std::all_of(id.begin(), id.end(), [](unsigned char byte) { return byte >= 0x20 && byte <= 0x7E; });
}

struct ChunkPlaces {
  std::int64_t format = kNotFound;
  std::int64_t data = kNotFound;
};

// RF64 and BW64 are RIFF with 64-bit sizes, for recordings past 4 GiB.
bool is_wide(std::span<const unsigned char> head) {
  return (tag_at(head, 0, "RF64") || tag_at(head, 0, "BW64")) && tag_at(head, 8, "WAVE");
}

// Follows the chunk list, so letters inside a size field or a metadata chunk are not mistaken
// for a chunk id.
ChunkPlaces walk_chunks(std::span<const unsigned char> head, std::int64_t file_length) {
  ChunkPlaces places;
  if (!(tag_at(head, 0, "RIFF") && tag_at(head, 8, "WAVE")) && !is_wide(head)) {
    return places;
  }
  for (std::int64_t offset = 12; offset <= kTagWindow && offset + 8 <= file_length;) {
    if (places.format == kNotFound && tag_at(head, offset, "fmt")) {
      places.format = offset;
    }
    if (places.data == kNotFound && tag_at(head, offset, "data")) {
      places.data = offset;
    }
    if (places.format != kNotFound && places.data != kNotFound) {
      break;
    }
    const std::int64_t size = Assem4(bytes_at(head, offset + 4).data());
    offset += 8 + size + (size & 1);  // an odd-sized chunk is followed by a pad byte
  }
  return places;
}

// The data chunk's size. A wide file states 0xFFFFFFFF there and keeps the real size in the
// ds64 chunk that leads its chunk list.
std::uint64_t data_size(std::span<const unsigned char> head, std::int64_t data_tag) {
  const std::uint32_t size = Assem4(bytes_at(head, data_tag + 4).data());
  constexpr std::int64_t kDs64 = 12;
  constexpr std::uint32_t kDs64Sizes = 16;  // RIFF size and data size, 8 bytes each
  if (size != 0xFFFFFFFFU || !is_wide(head) || !tag_at(head, kDs64, "ds64") ||
      Assem4(bytes_at(head, kDs64 + 4).data()) < kDs64Sizes) {
    return size;
  }
  const std::uint64_t low = Assem4(bytes_at(head, kDs64 + 16).data());
  const std::uint64_t high = Assem4(bytes_at(head, kDs64 + 20).data());
  return high << 32U | low;
}

}  // namespace

Attributes parse_head(std::span<const unsigned char> head, std::int64_t file_length) {
  ChunkPlaces places = walk_chunks(head, file_length);
  const bool walked = places.format != kNotFound && places.data != kNotFound;
  if (!walked) {
    places.format = scan_for(head, "fmt");
  }
  if (places.format == kNotFound) {
    fail("Can't find format chunk in wave file!", 2);
  }
  Attributes attributes;
  attributes.channels = Assem2(bytes_at(head, places.format + 10).data());
  if (attributes.channels != 2) {
    fail("The file you want to convert is not a stereo track!", 1);
  }
  attributes.bits_per_sample = Assem2(bytes_at(head, places.format + 22).data());
  if (attributes.bits_per_sample != 16 && attributes.bits_per_sample != 24) {
    fail("24 bit or 16 bit wave files only!", 1);
  }
  attributes.bytes_per_sample = attributes.bits_per_sample / 8;
  attributes.sample_rate = Assem4(bytes_at(head, places.format + 12).data());
  if (!walked) {
    places.data = scan_for(head, "data");
  }
  if (places.data == kNotFound) {
    fail("Can't find data block in wave file!", 2);
  }
  attributes.data_offset = places.data + 8;
  // A size of 0 or one larger than the file (an unfinished recording) means: to the end.
  const std::uint64_t size = data_size(head, places.data);
  const bool size_fits = size != 0 && attributes.data_offset <= file_length &&
                         size <= static_cast<std::uint64_t>(file_length - attributes.data_offset);
  attributes.data_end = size_fits ? attributes.data_offset + static_cast<std::int64_t>(size) : file_length;
  return attributes;
}

std::int64_t confirmed_end(std::int64_t stated_end, std::int64_t file_length, std::span<const unsigned char> from_end) {
  const bool ends_the_file = from_end.size() <= 1;  // at the stated end, or one pad byte later
  return ends_the_file || chunk_id_at(from_end, 0) || chunk_id_at(from_end, 1) ? stated_end : file_length;
}

std::uint64_t whole_frames(std::int64_t data_offset, std::int64_t data_end, std::uint32_t bytes_per_sample) {
  if (data_end <= data_offset || bytes_per_sample == 0) {
    return 0;
  }
  return static_cast<std::uint64_t>(data_end - data_offset) / (std::uint64_t{2} * bytes_per_sample);
}

void GET_ATTRIBUTES(int track, const std::string& name, std::span<Attributes> tracks) {
  const File file = open_file(name, "rb");
  if (!file) {
    fail("Cannot find file in track list called " + name + "!!", 2);
  }
  if (fseeko(file.get(), 0, SEEK_END) != 0) {
    fail("Unable to read file.", 2);
  }
  const std::int64_t length = ftello(file.get());
  if (length < 0 || fseeko(file.get(), 0, SEEK_SET) != 0) {
    fail("Unable to read file.", 2);
  }
  std::vector<unsigned char> head(static_cast<std::size_t>(std::min(length, kHeadSize)));
  if (std::fread(head.data(), 1, head.size(), file.get()) != head.size()) {
    fail("Unable to read file.", 2);
  }
  Attributes attributes = parse_head(head, length);
  std::array<unsigned char, kEndCheck> from_end{};
  const auto count = static_cast<std::size_t>(std::min(kEndCheck, length - attributes.data_end));
  if (fseeko(file.get(), attributes.data_end, SEEK_SET) != 0 ||
      std::fread(from_end.data(), 1, count, file.get()) != count) {
    fail("Unable to read file.", 2);
  }
  attributes.data_end = confirmed_end(attributes.data_end, length, std::span(from_end.data(), count));
  tracks[static_cast<std::size_t>(track)] = attributes;
}

}  // namespace tessmar
