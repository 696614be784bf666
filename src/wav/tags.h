// What stands around the chunks: the items behind the samples, and the tags that taggers put in
// front of a file or behind its audio. Pure functions over bytes already read.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace tessmar {

// What an item's first bytes hold at most: its kind and, where it has one, its size field.
constexpr std::size_t kItemHead = 16;
// What a tag's last bytes hold at most: an ID3v1 tag is 128 bytes long.
constexpr std::size_t kTagTail = 128;
// An ID3v2 header, or its footer, is 10 bytes long.
constexpr std::size_t kId3v2Header = 10;
constexpr std::int64_t kNoItem = -1;
// No file holds more items or tags than this in a row; a walk gives up there.
constexpr int kMostItems = 64;

bool starts_with(std::span<const unsigned char> bytes, std::string_view letters);

// Where a chunk with this size ends: an odd size is followed by a pad byte, where the file holds one.
std::int64_t chunk_end(std::int64_t at, std::uint32_t size, std::int64_t file_length);

// Where the ID3v2 tag whose header starts at `at` ends, its footer counted; kNoItem when head
// holds no such header.
std::int64_t id3v2_end(std::int64_t at, std::span<const unsigned char> head);

// Where the ID3v2 tag whose header starts at `at` ends if its size is read as a plain number, 8
// bits a byte, as some taggers write it; kNoItem when head holds no ID3v2 header.
std::int64_t id3v2_plain_end(std::int64_t at, std::span<const unsigned char> head);

// Where the item that starts at `at` ends: a chunk, or an ID3v1, APEv2 or ID3v2 tag as taggers
// append them. head holds the file's bytes from `at` on, at most kItemHead. kNoItem when none
// starts there; the end may lie past the file when the item is cut short.
std::int64_t item_end(std::int64_t at, std::int64_t file_length, std::span<const unsigned char> head);

// A tag that ends at `end`: an ID3v1 tag, an APEv2 tag by its footer, or an ID3v2 tag by its footer.
struct TagStart {
  std::int64_t start = kNoItem;
  // Where the APEv2 tag's header stands if its footer says it has one; the caller looks for it there.
  std::int64_t ape_header = kNoItem;
};

// tail holds the file's bytes just before `end`, at most kTagTail of them.
TagStart tag_start(std::int64_t end, std::span<const unsigned char> tail);

}  // namespace tessmar
