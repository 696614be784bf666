// Recognises chunks and tags by their first or last bytes, and says where they begin or end.
#include "wav/tags.h"

#include <algorithm>

#include "wav/codec.h"

namespace tessmar {
namespace {

constexpr std::int64_t kId3v1Size = 128;
constexpr std::int64_t kApeFooter = 32;  // an APEv2 header is as long; the tag's size counts its footer, not its header
constexpr std::uint32_t kApeHasHeader = 0x80000000U;

// Four printable characters, as every chunk id is made of.
bool chunk_id(std::span<const unsigned char> bytes) {
  return std::all_of(bytes.begin(), bytes.end(), [](unsigned char byte) { return byte >= 0x20 && byte <= 0x7E; });
}

// The size an ID3v2 header ("ID3") or footer ("3DI") states, or kNoItem: version 2 to 4, and a
// size of four bytes of 7 bits each.
std::int64_t id3v2_size(std::span<const unsigned char> bytes, std::string_view id) {
  if (!starts_with(bytes, id) || bytes.size() < kId3v2Header || bytes[3] < 2 || bytes[3] > 4 ||
      !std::all_of(&bytes[6], &bytes[10], [](unsigned char byte) { return byte < 0x80; })) {
    return kNoItem;
  }
  return AssemSynch4(&bytes[6]);
}

// The length of an ID3v2 tag's footer, as its header's flags say.
std::int64_t footer(std::span<const unsigned char> head) {
  constexpr unsigned char kHasFooter = 0x10;
  return (head[5] & kHasFooter) != 0 ? kId3v2Header : 0;
}

}  // namespace

bool starts_with(std::span<const unsigned char> bytes, std::string_view letters) {
  return bytes.size() >= letters.size() &&
         std::equal(letters.begin(), letters.end(), bytes.begin(),
                    [](char letter, unsigned char byte) { return static_cast<unsigned char>(letter) == byte; });
}

std::int64_t chunk_end(std::int64_t at, std::uint32_t size, std::int64_t file_length) {
  const std::int64_t end = at + 8 + size;
  return end + ((size & 1U) != 0 && end < file_length ? 1 : 0);
}

std::int64_t id3v2_end(std::int64_t at, std::span<const unsigned char> head) {
  const std::int64_t size = id3v2_size(head, "ID3");
  return size == kNoItem ? kNoItem : at + static_cast<std::int64_t>(kId3v2Header) + size + footer(head);
}

std::int64_t id3v2_plain_end(std::int64_t at, std::span<const unsigned char> head) {
  if (!starts_with(head, "ID3") || head.size() < kId3v2Header) {
    return kNoItem;
  }
  return at + static_cast<std::int64_t>(kId3v2Header) + AssemBig4(&head[6]) + footer(head);
}

std::int64_t item_end(std::int64_t at, std::int64_t file_length, std::span<const unsigned char> head) {
  if (starts_with(head, "TAG")) {
    return at + kId3v1Size;
  }
  if (starts_with(head, "APETAGEX") && head.size() >= kItemHead) {
    return at + kApeFooter + Assem4(&head[12]);
  }
  if (const std::int64_t end = id3v2_end(at, head); end != kNoItem) {
    return end;
  }
  if (head.size() >= 8 && chunk_id(head.first(4))) {
    return chunk_end(at, Assem4(&head[4]), file_length);
  }
  return kNoItem;
}

TagStart tag_start(std::int64_t end, std::span<const unsigned char> tail) {
  // The last count bytes before the end; empty where the tail is shorter.
  const auto last = [&](std::size_t count) {
    return tail.size() >= count ? tail.last(count) : std::span<const unsigned char>{};
  };
  if (starts_with(last(kId3v1Size), "TAG")) {
    return {end - kId3v1Size};
  }
  const auto ape = last(kApeFooter);
  if (starts_with(ape, "APETAGEX") && Assem4(&ape[12]) >= kApeFooter) {
    const std::int64_t start = end - Assem4(&ape[12]);
    return {start, (Assem4(&ape[20]) & kApeHasHeader) != 0 ? start - kApeFooter : kNoItem};
  }
  if (const std::int64_t size = id3v2_size(last(kId3v2Header), "3DI"); size != kNoItem) {
    return {end - 2 * static_cast<std::int64_t>(kId3v2Header) - size};
  }
  return {};
}

}  // namespace tessmar
