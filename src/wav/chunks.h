// The walk over a WAVE form's chunks: where the format and data chunks start, read from the bytes
// at the head of the form. Pure functions over bytes already read.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

namespace tessmar {

// Chunk ids, and a header behind damaged tags in front, are looked for at offsets up to this one.
constexpr std::int64_t kTagWindow = 15000;
// The furthest field read lies at the format chunk's id + 22, two bytes wide.
constexpr std::int64_t kHeadSize = kTagWindow + 24;

constexpr std::int64_t kNotFound = -1;
// A RIFF header's letters and size, and "WAVE".
constexpr std::int64_t kForm = 12;

// A field's bytes from offset on, as many as the widest field holds; those the head does not
// hold (past the end of the file) are zero.
std::array<unsigned char, 8> bytes_at(std::span<const unsigned char> head, std::int64_t offset);

// Whether the chunk id, or other letters, stand at the offset.
bool id_at(std::span<const unsigned char> head, std::int64_t offset, std::string_view id);

// Whether the bytes open with a RIFF, RF64 or BW64 header and "WAVE" 8 bytes on.
bool is_wave(std::span<const unsigned char> head);
// RF64 and BW64 are RIFF with 64-bit sizes, for recordings past 4 GiB.
bool is_wide(std::span<const unsigned char> head);

struct ChunkPlaces {
  std::int64_t format = kNotFound;
  std::int64_t data = kNotFound;
};

// Follows the chunk list of a form of that length, so that letters inside a size field or a
// metadata chunk are not taken for a chunk id; finds nothing where the head is not a WAVE form.
ChunkPlaces walk_chunks(std::span<const unsigned char> head, std::int64_t file_length);

// Whether the chunk list leads to both the format and the data chunk.
bool leads_to_chunks(std::span<const unsigned char> head, std::int64_t file_length);

// Where the WAVE form at the head of these bytes ends as its RIFF size states it, counted from its
// start; a form of no stated size (0 or 0xFFFFFFFF, or an RF64 or BW64 form) runs to the end of
// the file, file_length on.
std::int64_t stated_form_end(std::span<const unsigned char> head, std::int64_t file_length);

// The offset of the header that a file opening with these bytes is read from, where the tags in
// front do not lead to one: among the headers from offset 1 to the window's end whose chunk list
// leads to both chunks, the first that is not a WAVE file attached inside a tag, whose stated form
// ends at or before a later one starts. 0 where none is found.
std::int64_t header_in_window(std::span<const unsigned char> bytes, std::int64_t file_length);

}  // namespace tessmar
