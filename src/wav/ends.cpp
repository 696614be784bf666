// The reads at both ends of the input; what the bytes read mean is the tags' and the chunks' to say.
#include "wav/ends.h"

#include <algorithm>
#include <array>
#include <vector>

#include "wav/chunks.h"
#include "wav/tags.h"

namespace tessmar {
namespace {

// Where the ID3v2 tags from `at` on end, as their sizes say.
std::int64_t behind_tags(const File& file, std::int64_t at, std::int64_t length) {
  for (int tag = 0; tag < kMostItems && at + static_cast<std::int64_t>(kId3v2Header) <= length; ++tag) {
    std::array<unsigned char, kId3v2Header> head{};
    read_at(file, at, head);
    const std::int64_t end = id3v2_end(at, head);
    if (end == kNoItem) {
      break;
    }
    at = end;
  }
  return at;
}

}  // namespace

std::int64_t wave_start(const File& file, std::int64_t length) {
  std::array<unsigned char, kForm> form{};
  if (length < kForm) {
    return 0;
  }
  read_at(file, 0, form);
  if (!starts_with(form, "ID3")) {
    return 0;
  }
  // The tags as their sizes say; else the first one's size read as some taggers write it, with
  // no window, as none applies to tags whose sizes lead to the header.
  for (const std::int64_t tags_end :
       {behind_tags(file, 0, length), behind_tags(file, id3v2_plain_end(0, form), length)}) {
    if (tags_end + kForm <= length) {
      std::array<unsigned char, kForm> header{};
      read_at(file, tags_end, header);
      if (is_wave(header)) {
        return tags_end;
      }
    }
  }
  std::vector<unsigned char> bytes(static_cast<std::size_t>(std::min(length, kTagWindow + kHeadSize)));
  read_at(file, 0, bytes);
  return header_in_window(bytes, length);
}

bool items_reach_end(const File& file, std::int64_t at, std::int64_t length) {
  for (int item = 0; item < kMostItems && at != length; ++item) {
    std::array<unsigned char, kItemHead> head{};
    const auto count = static_cast<std::size_t>(std::min<std::int64_t>(kItemHead, length - at));
    const auto bytes = std::span(head).first(count);
    read_at(file, at, bytes);
    at = item_end(at, length, bytes);
    if (at == kNoItem || at > length) {
      return false;
    }
  }
  return true;
}

std::int64_t end_before_tags(const File& file, std::int64_t data_offset, std::int64_t length) {
  std::int64_t end = length;
  for (int tag = 0; tag < kMostItems; ++tag) {
    std::array<unsigned char, kTagTail> bytes{};
    const auto tail =
        std::span(bytes).first(static_cast<std::size_t>(std::clamp<std::int64_t>(end - data_offset, 0, kTagTail)));
    read_at(file, end - static_cast<std::int64_t>(tail.size()), tail);
    TagStart found = tag_start(end, tail);
    if (found.ape_header >= 0) {
      std::array<unsigned char, 8> header{};
      read_at(file, found.ape_header, header);
      found.start = starts_with(header, "APETAGEX") ? found.ape_header : found.start;
    }
    if (found.start == kNoItem || found.start < data_offset) {
      break;
    }
    end = found.start;
  }
  return end;
}

}  // namespace tessmar
