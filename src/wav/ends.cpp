// The reads at both ends of the input; what the bytes read mean is the tags' and the probe's to say.
#include "wav/ends.h"

#include <algorithm>
#include <array>

#include "wav/probe.h"
#include "wav/tags.h"

namespace tessmar {

std::int64_t wave_start(const File& file, std::int64_t length) {
  std::int64_t at = 0;
  for (int tag = 0; tag < kMostItems && at + static_cast<std::int64_t>(kId3v2Header) <= length; ++tag) {
    std::array<unsigned char, kId3v2Header> head{};
    read_at(file, at, head);
    const std::int64_t end = id3v2_end(at, head);
    if (end == kNoItem) {
      break;
    }
    at = end;
  }
  std::array<unsigned char, 12> form{};
  if (at == 0 || at + static_cast<std::int64_t>(form.size()) > length) {
    return 0;
  }
  read_at(file, at, form);
  return is_wave(form) ? at : 0;
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
