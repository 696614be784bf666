// Walks a WAVE form's chunk list from one chunk's size to the next chunk's id.
#include "wav/chunks.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "wav/codec.h"
#include "wav/tags.h"

namespace tessmar {

std::array<unsigned char, 8> bytes_at(std::span<const unsigned char> head, std::int64_t offset) {
  std::array<unsigned char, 8> field{};
  for (std::size_t i = 0; i < field.size(); ++i) {
    const auto at = static_cast<std::uint64_t>(offset) + i;
    if (at < head.size()) {
      field[i] = head[at];
    }
  }
  return field;
}

bool id_at(std::span<const unsigned char> head, std::int64_t offset, std::string_view id) {
  return starts_with(bytes_at(head, offset), id);
}

bool is_wave(std::span<const unsigned char> head) {
  return (id_at(head, 0, "RIFF") && id_at(head, 8, "WAVE")) || is_wide(head);
}

bool is_wide(std::span<const unsigned char> head) {
  return (id_at(head, 0, "RF64") || id_at(head, 0, "BW64")) && id_at(head, 8, "WAVE");
}

ChunkPlaces walk_chunks(std::span<const unsigned char> head, std::int64_t file_length) {
  ChunkPlaces places;
  if (!is_wave(head)) {
    return places;
  }
  for (std::int64_t offset = 12; offset <= kTagWindow && offset + 8 <= file_length;) {
    if (places.format == kNotFound && id_at(head, offset, "fmt")) {
      places.format = offset;
    }
    if (places.data == kNotFound && id_at(head, offset, "data")) {
      places.data = offset;
    }
    if (places.format != kNotFound && places.data != kNotFound) {
      break;
    }
    offset = chunk_end(offset, Assem4(bytes_at(head, offset + 4).data()), file_length);
  }
  return places;
}

bool leads_to_chunks(std::span<const unsigned char> head, std::int64_t file_length) {
  const ChunkPlaces places = walk_chunks(head, file_length);
  return places.format != kNotFound && places.data != kNotFound;
}

std::int64_t stated_form_end(std::span<const unsigned char> head, std::int64_t file_length) {
  const std::uint32_t size = Assem4(bytes_at(head, 4).data());
  return size == 0 || size == 0xFFFFFFFFU || is_wide(head) ? file_length : std::int64_t{8} + size;
}

std::int64_t header_in_window(std::span<const unsigned char> bytes, std::int64_t file_length) {
  std::vector<std::pair<std::int64_t, std::int64_t>> headers;  // where each starts, and its form ends
  const auto size = static_cast<std::int64_t>(bytes.size());
  for (std::int64_t at = 1; at <= kTagWindow && at + kForm <= size; ++at) {
    const auto head =
        bytes.subspan(static_cast<std::size_t>(at), static_cast<std::size_t>(std::min(kHeadSize, size - at)));
    if (is_wave(head) && leads_to_chunks(head, file_length - at)) {
      headers.emplace_back(at, at + stated_form_end(head, file_length - at));
    }
  }
  for (auto header = headers.begin(); header != headers.end(); ++header) {
    if (std::none_of(header + 1, headers.end(), [&](const auto& later) { return later.first >= header->second; })) {
      return header->first;
    }
  }
  return 0;
}

}  // namespace tessmar
