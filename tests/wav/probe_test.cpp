// The probe's judgement of file heads: where it finds the chunks and what it refuses.
#include "wav/probe.h"
#include "wav/tags.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "support/wav_bytes.h"
#include "wav/probed.h"

namespace tessmar {
namespace {

using tessmar_test::le;

const std::string kTail = chunk("LIST", std::string(30, 'i'));
constexpr Fault kNotStereo = Fault::kNotStereo;
constexpr Fault kDepth = Fault::kBitDepth;
constexpr Fault kNoData = Fault::kNoData;

// A data chunk header stating size, followed by kSamples.
std::string sized_data(std::uint32_t size) { return "data" + le(size, 4) + kSamples; }
std::string empties(int count) { return count == 0 ? "" : chunk("JUNK", "") + empties(count - 1); }
std::string with_riff_size(std::string bytes, const std::string& size) { return bytes.replace(4, 4, size); }
// A wide file: a ds64 chunk (or another) first, then the format, the data chunk and metadata.
// The ds64 body holds 64-bit RIFF and data sizes and the sample count: 24 bytes, fewer if cut short.
std::string ds64(std::uint64_t data_size, std::size_t size = 24, const char* id = "ds64") {
  return chunk(id, (le(0, 8) + le(data_size, 8) + le(0, 8)).substr(0, size));
}
// What taggers append: ID3v1; APEv2 of 8 bytes of items, with its header (flags say so) or
// without; ID3v2 of 300 bytes; and ID3v2.4 with a footer.
std::string ape(std::uint32_t flags) {
  return "APETAGEX" + le(2000, 4) + le(40, 4) + le(1, 4) + le(flags, 4) + le(0, 8);
}
const std::string kApe = ape(0xA0000000) + "ApeItems" + ape(0x80000000);
const std::string kId3v2 = std::string("ID3\2\0\0\0\0\2\x2C", 10) + std::string(300, '\0');
const std::string kId3v24 = std::string("ID3\4\0\x10\0\0\0\4", 10) + "abcd" + std::string("3DI\4\0\x10\0\0\0\4", 10);
const std::string kUnsized = riff(kStereo16 + sized_data(0));
std::string wide(const char* form, const std::string& first, const std::string& data = "data" + le(~0U, 4) + kSamples) {
  return riff(first + kStereo16 + data + kTail).replace(0, 4, form);
}

TEST_F(Probe, FindsChunksAndRefusesWhatItCannotSplit) {
  const std::string list_with_letters = chunk("LIST", std::string("..data").append(20, '\0'));
  const Case cases[] = {
      {"canonical 16 bit", riff(kStereo16 + chunk("data", kSamples)), Found{44, 444, 44100, 16}, {}},
      {"canonical 24 bit", riff(fmt_chunk(2, 96000, 24) + chunk("data", kSamples)), Found{44, 444, 96000, 24}, {}},
      {"extensible format tag is not examined",
       riff(fmt_chunk(2, 8000, 16, 0xFFFE) + chunk("data", kSamples)),
       Found{44, 444, 8000, 16},
       {}},
      {"tags without a RIFF header", headless(kStereo16 + chunk("data", kSamples)), Found{44, 444, 44100, 16}, {}},
      {"RIFF size spelling fmt",
       with_riff_size(riff(kStereo16 + chunk("data", kSamples)), "fmt\x01"),
       Found{44, 444, 44100, 16},
       {}},
      {"data letters inside metadata, behind an odd-sized chunk",
       riff(chunk("junk", "abc") + list_with_letters + kStereo16 + chunk("data", kSamples)),
       Found{12 + 12 + 34 + 24 + 8, 12 + 12 + 34 + 24 + 8 + 400, 44100, 16},
       {}},
      {"without the RIFF header the first data letters win",
       headless(chunk("junk", "abc") + list_with_letters + kStereo16 + chunk("data", kSamples)),
       Found{12 + 12 + 2 + 8 + 8, 12 + 12 + 34 + 24 + 8 + 400, 44100, 16},
       {}},
      {"data size stops before trailing metadata",
       riff(kStereo16 + chunk("data", kSamples) + kTail),
       Found{44, 444, 44100, 16},
       {}},
      {"data size 0 runs to the end",
       riff(kStereo16 + "data" + le(0, 4) + kSamples + kTail),
       Found{44, 444 + 38, 44100, 16},
       {}},
      {"data size past the end runs to the end",
       riff(kStereo16 + "data" + le(0xFFFFFFFF, 4) + kSamples),
       Found{44, 444, 44100, 16},
       {}},
      {"odd size, pad byte, then a chunk",
       riff(kStereo16 + chunk("data", kSamples + "\x11") + kTail),
       Found{44, 445, 44100, 16},
       {}},
      {"odd size, no pad byte, chunk id at the end",
       riff(kStereo16 + sized_data(401) + "\x11" + kTail),
       Found{44, 445, 44100, 16},
       {}},
      {"even size, one stray byte, then chunks to the end",
       riff(kStereo16 + sized_data(400) + "\x80" + chunk("id3 ", "abc") + kTail),
       Found{44, 444, 44100, 16},
       {}},
      {"size, then an ID3v1 tag", kWhole + kId3v1, kStated, {}},
      {"size, LIST, then every kind of tag", kWhole + kTail + kId3v2 + kApe + kId3v1, kStated, {}},
      {"unsized audio, then an ID3v1 tag", kUnsized + kId3v1, kStated, {}},
      {"unsized audio, then every kind of tag", kUnsized + kId3v24 + kApe + "ApeItems" + ape(0) + kId3v1, kStated, {}},
      {"unsized audio, then a tag that would start before it",
       kUnsized + ape(0).replace(12, 4, le(999, 4)),
       Found{44, 476, 44100, 16},
       {}},
      {"a stated size whose audio ends like a tag",
       riff(kStereo16 + chunk("data", kSamples + kId3v1)),
       Found{44, 572, 44100, 16},
       {}},
      {"64 items in a row confirm a size", kWhole + empties(64) + "\x11\x11", kStated, {}},
      {"size one byte short of the end", riff(kStereo16 + sized_data(400) + "\x11"), Found{44, 444, 44100, 16}, {}},
      {"size followed by more audio, then a tag",
       riff(kStereo16 + sized_data(200) + kTail) + kId3v1,
       Found{44, 482, 44100, 16},
       {}},
      {"size, audio reading as a chunk, more audio",
       kWhole + "wxyz" + le(2, 4) + kSamples,
       Found{44, 852, 44100, 16},
       {}},
      {"size followed by a chunk cut short", kWhole + "LIST" + le(100, 4) + "cut", Found{44, 455, 44100, 16}, {}},
      {"size followed by silence",
       riff(kStereo16 + sized_data(400) + std::string(9, '\0')),
       Found{44, 453, 44100, 16},
       {}},
      {"size followed by a chunk id cut short",
       riff(kStereo16 + sized_data(400) + "LIS"),
       Found{44, 447, 44100, 16},
       {}},
      {"size followed by two DEL bytes, then a chunk id",
       riff(kStereo16 + sized_data(400) + "\x7F\x7F" + kTail),
       Found{44, 484, 44100, 16},
       {}},
      {"data before format", riff(chunk("data", kSamples) + kStereo16), Found{20, 420, 44100, 16}, {}},
      {"data tag at the very end", riff(kStereo16) + "data", Found{44, 40, 44100, 16}, {}},
      {"RF64 data size from ds64", wide("RF64", ds64(400)), Found{76, 476, 44100, 16}, {}},
      {"BW64 data size from ds64", wide("BW64", ds64(400)), Found{76, 476, 44100, 16}, {}},
      {"RF64 ds64 size followed by more audio", wide("RF64", ds64(200)), Found{76, 514, 44100, 16}, {}},
      {"RF64 ds64 size past the end", wide("RF64", ds64(~0ULL)), Found{76, 514, 44100, 16}, {}},
      {"RF64 data chunk's own size", wide("RF64", ds64(2), chunk("data", kSamples)), Found{76, 476, 44100, 16}, {}},
      {"RF64 without ds64 first", wide("RF64", ds64(400, 24, "JUNK")), Found{76, 514, 44100, 16}, {}},
      {"RF64 ds64 too short", wide("RF64", ds64(400, 15)), Found{68, 506, 44100, 16}, {}},
      {"RIFF ignores ds64", wide("RIFF", ds64(400)), Found{76, 514, 44100, 16}, {}},
      {"RF64 data letters in metadata", wide("RF64", ds64(400) + list_with_letters), Found{110, 510, 44100, 16}, {}},
      {"no tags at all", std::string(20000, 'a'), {}, kNoFormat},
      {"empty file", "", {}, kNoFormat},
      {"format tag at an odd offset",
       std::string("x").append(headless(kStereo16 + chunk("data", kSamples))),
       {},
       kNoFormat},
      {"format tag past the window", headless(std::string(15000, '\0') + kStereo16 + chunk("data", "")), {}, kNoFormat},
      {"mono, judged before its depth", riff(fmt_chunk(1, 44100, 8) + chunk("data", kSamples)), {}, kNotStereo},
      {"channel count past the end of the file", "xxfmt ", {}, kNotStereo},
      {"8 bit", riff(fmt_chunk(2, 44100, 8) + chunk("data", kSamples)), {}, kDepth},
      {"32 bit", riff(fmt_chunk(2, 44100, 32) + chunk("data", kSamples)), {}, kDepth},
      {"no data tag", riff(kStereo16), {}, kNoData},
      {"data tag past the window",
       riff(kStereo16 + chunk("LIST", std::string(15000, '\0')) + chunk("data", "")),
       {},
       kNoData},
  };
  for (const Case& test : cases) {
    expect(test);
  }
}

TEST(Items, EndWhereTheirKindAndSizeSay) {
  // An item's first bytes at offset 1000 of a file of 2000 bytes (or of another length), and its end.
  const std::tuple<const char*, std::string, std::int64_t, std::int64_t> cases[] = {
      {"ID3v1 tag, though it reads as a chunk too", "TAGs" + le(4, 4), 2000, 1128},
      {"ID3v2 tag: 7 bits a byte, high first; a footer", std::string("ID3\4\0\x10\1\2\3\4", 10), 2000, 2131328},
      {"ID3v2 version 5 is no tag", std::string("ID3\5\0\0\0\0\0\0", 10), 2000, kNoItem},
      {"ID3v2 size byte of 8 bits is no tag", std::string("ID3\3\0\0\0\0\x80\0", 10), 2000, kNoItem},
      {"odd-sized chunk that ends the file", "LIST" + le(31, 4), 1039, 1039},
      {"chunk id of the lowest and highest printable bytes", " ~ ~" + le(0, 4), 2000, 1008},
      {"chunk id with a DEL byte", "\x7FIST" + le(0, 4), 2000, kNoItem},
      {"chunk header cut short", "LIST" + le(0, 3), 1007, kNoItem},
  };
  for (const auto& [what, bytes, length, end] : cases) {
    const auto* head = reinterpret_cast<const unsigned char*>(bytes.data());
    EXPECT_EQ(item_end(1000, length, std::span(head, bytes.size())), end) << what;
  }
}

TEST_F(Probe, CountsOnlyWholeFramesAndNothingBeforeTheData) {
  EXPECT_EQ(whole_frames(44, 44 + 4 * 5 + 3, 2), 5U);
  EXPECT_EQ(whole_frames(44, 44 + 6 * 5 + 5, 3), 5U);
  EXPECT_EQ(whole_frames(48, 40, 2), 0U);
  EXPECT_EQ(whole_frames(44, (std::int64_t{3} << 32) + 44, 3), std::uint64_t{1} << 31);
}

}  // namespace
}  // namespace tessmar
