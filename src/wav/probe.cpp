// Finds the format and data chunks, checks for stereo 16 or 24 bits, and measures the samples.
#include "wav/probe.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <string_view>
#include <vector>

#include "wav/chunks.h"
#include "wav/codec.h"
#include "wav/ends.h"
#include "wav/fail.h"
#include "wav/io.h"
#include "wav/tags.h"

namespace tessmar {
namespace {

// The first even offset from 2 on where the letters stand, whether or not a chunk starts there.
std::int64_t scan_for(std::span<const unsigned char> head, std::string_view id) {
  for (std::int64_t offset = 2; offset <= kTagWindow; offset += 2) {
    if (id_at(head, offset, id)) {
      return offset;
    }
  }
  return kNotFound;
}

// The data chunk's size. A wide file states 0xFFFFFFFF there and keeps the real size in the
// ds64 chunk that leads its chunk list.
std::uint64_t data_size(std::span<const unsigned char> head, std::int64_t data_id) {
  const std::uint32_t size = Assem4(bytes_at(head, data_id + 4).data());
  constexpr std::int64_t kDs64 = 12;
  constexpr std::uint32_t kDs64Sizes = 16;  // RIFF size and data size, 8 bytes each
  if (size != 0xFFFFFFFFU || !is_wide(head) || !id_at(head, kDs64, "ds64") ||
      Assem4(bytes_at(head, kDs64 + 4).data()) < kDs64Sizes) {
    return size;
  }
  return Assem8(bytes_at(head, kDs64 + 16).data());
}

}  // namespace

Attributes parse_head(std::span<const unsigned char> head, std::int64_t file_length) {
  ChunkPlaces places = walk_chunks(head, file_length);
  const bool walked = places.format != kNotFound && places.data != kNotFound;
  if (!walked) {
    places.format = scan_for(head, "fmt");
  }
  if (places.format == kNotFound) {
    fail(Fault::kNoFormat);
  }
  Attributes attributes;
  attributes.channels = Assem2(bytes_at(head, places.format + 10).data());
  if (attributes.channels != 2) {
    fail(Fault::kNotStereo);
  }
  attributes.bits_per_sample = Assem2(bytes_at(head, places.format + 22).data());
  if (attributes.bits_per_sample != 16 && attributes.bits_per_sample != 24) {
    fail(Fault::kBitDepth);
  }
  attributes.bytes_per_sample = attributes.bits_per_sample / 8;
  attributes.sample_rate = Assem4(bytes_at(head, places.format + 12).data());
  if (!walked) {
    places.data = scan_for(head, "data");
  }
  if (places.data == kNotFound) {
    fail(Fault::kNoData);
  }
  attributes.data_offset = places.data + 8;
  // A size of 0 or one larger than the file (an unfinished recording) states nothing.
  const std::uint64_t size = data_size(head, places.data);
  const bool size_fits = size != 0 && attributes.data_offset <= file_length &&
                         size <= static_cast<std::uint64_t>(file_length - attributes.data_offset);
  attributes.data_end = size_fits ? attributes.data_offset + static_cast<std::int64_t>(size) : kUnstated;
  return attributes;
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
    fail(Fault::kNoInput, name);
  }
  // Taken before any byte is read: a change after this makes the file another.
  const FileId input = identify(fileno(file.get()));
  if (fseeko(file.get(), 0, SEEK_END) != 0) {
    fail(Fault::kRead);
  }
  const std::int64_t length = ftello(file.get());
  if (length < 0) {
    fail(Fault::kRead);
  }
  // The file is read as if it began at its RIFF header; offsets stay the file's own.
  const std::int64_t start = wave_start(file, length);
  std::vector<unsigned char> head(static_cast<std::size_t>(std::min(length - start, kHeadSize)));
  read_at(file, start, head);
  Attributes attributes = parse_head(head, length - start);
  attributes.input = input;
  attributes.data_offset += start;
  const std::int64_t stated = attributes.data_end == kUnstated ? kUnstated : attributes.data_end + start;
  // A file that ends at the stated end, or one pad byte later, confirms it at once.
  const bool confirmed =
      stated != kUnstated && (items_reach_end(file, stated, length) || items_reach_end(file, stated + 1, length));
  attributes.data_end = confirmed ? stated : end_before_tags(file, attributes.data_offset, length);
  tracks[static_cast<std::size_t>(track)] = attributes;
}

}  // namespace tessmar
