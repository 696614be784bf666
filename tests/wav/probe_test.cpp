// The probe's judgement of file heads: where it finds the chunks and what it refuses.
#include "wav/probe.h"
#include "wav/tags.h"

#include <gtest/gtest.h>

#include <array>
#include <optional>
#include <string>
#include <tuple>

#include "support/failure.h"
#include "support/run.h"
#include "support/wav_bytes.h"

namespace tessmar {
namespace {

using tessmar_test::chunk;
using tessmar_test::Failure;
using tessmar_test::Fault;
using tessmar_test::fmt_chunk;
using tessmar_test::le;
using tessmar_test::riff;

struct Found {
  std::int64_t offset, end;
  std::uint32_t rate, bits;
};
struct Case {
  const char* what;
  std::string bytes;
  std::optional<Found> found;
  std::optional<Fault> refused;
};

class Probe : public tessmar_test::InTempDir {
 protected:
  // The probe of a file holding these bytes.
  Attributes probe(const std::string& bytes) const {
    write("in.wav", bytes);
    std::array<Attributes, 1> tracks{};
    GET_ATTRIBUTES(0, (dir / "in.wav").string(), tracks);
    return tracks[0];
  }
};

const std::string kStereo16 = fmt_chunk(2, 44100, 16);
const std::string kSamples(400, '\x11');
const std::string kTail = chunk("LIST", std::string(30, 'i'));
constexpr Fault kNoFormat = Fault::kNoFormat;
constexpr Fault kNotStereo = Fault::kNotStereo;
constexpr Fault kDepth = Fault::kBitDepth;
constexpr Fault kNoData = Fault::kNoData;

// A data chunk header stating size, followed by kSamples.
std::string sized_data(std::uint32_t size) { return "data" + le(size, 4) + kSamples; }
std::string empties(int count) { return count == 0 ? "" : chunk("JUNK", "") + empties(count - 1); }
std::string with_riff_size(std::string bytes, const std::string& size) { return bytes.replace(4, 4, size); }
std::string headless(const std::string& body) { return "JUNKxxxxJUNK" + body; }
// A wide file: a ds64 chunk (or another) first, then the format, the data chunk and metadata.
// The ds64 body holds 64-bit RIFF and data sizes and the sample count: 24 bytes, fewer if cut short.
std::string ds64(std::uint64_t data_size, std::size_t size = 24, const char* id = "ds64") {
  return chunk(id, (le(0, 8) + le(data_size, 8) + le(0, 8)).substr(0, size));
}
// What taggers append: ID3v1; APEv2 of 8 bytes of items, with its header (flags say so) or
// without; ID3v2 of 300 bytes; and ID3v2.4 with a footer.
const std::string kId3v1 = "TAG" + std::string(125, '\0');
std::string ape(std::uint32_t flags) {
  return "APETAGEX" + le(2000, 4) + le(40, 4) + le(1, 4) + le(flags, 4) + le(0, 8);
}
const std::string kApe = ape(0xA0000000) + "ApeItems" + ape(0x80000000);
const std::string kId3v2 = std::string("ID3\2\0\0\0\0\2\x2C", 10) + std::string(300, '\0');
const std::string kId3v24 = std::string("ID3\4\0\x10\0\0\0\4", 10) + "abcd" + std::string("3DI\4\0\x10\0\0\0\4", 10);
// An ID3v2.3 tag of size bytes after its header, as taggers put in front of the RIFF header.
std::string id3v2(const std::string& text, std::uint32_t size) {
  const std::string synchsafe{char(size >> 21 & 127), char(size >> 14 & 127), char(size >> 7 & 127), char(size & 127)};
  return std::string("ID3\3\0\0", 6) + synchsafe + (text + std::string(size, '\0')).substr(0, size);
}
const std::string kFront = id3v2("My data set, xfmt", 41) + id3v2("cover", 40960);
// An ID3v2.3 tag in front whose size field holds these bytes, its text padded to length.
std::string front_tag(const char* size, const std::string& text, std::size_t length, char flags = 0) {
  return std::string("ID3\3\0", 5) + flags + std::string(size, 4) + (text + std::string(length, 'x')).substr(0, length);
}
const char* const kPlain200 = "\0\0\0\xC8";  // not synchsafe, as some taggers write it
const char* const kShort = "\0\0\0\x64";     // 100: stops inside the tag, read either way
std::string be(std::size_t value) {
  const std::string bytes = le(value, 4);
  return {bytes.rbegin(), bytes.rend()};
}
// A WAVE file of 8 kHz, as a tag attaches it in a GEOB frame (sizes in the frame's header are
// plain), behind padding, in a tag whose size is plain, or stops short where one is given.
std::string wave_of(std::uint16_t channels, std::size_t bytes) {
  return riff(fmt_chunk(channels, 8000, 16) + chunk("data", std::string(bytes, '\x22')));
}
std::string attached(const std::string& wave, std::size_t padding = 0, const char* size = nullptr) {
  const std::string frame = std::string("\0\0\0audio/wav\0\0\0", 15) + wave;
  const std::string body = "GEOB" + be(frame.size()) + frame + std::string(padding, '\0');
  return front_tag(size != nullptr ? size : be(body.size()).c_str(), body, body.size());
}
Found behind(const std::string& tag) {
  const auto at = static_cast<std::int64_t>(tag.size());
  return {at + 44, at + 444, 44100, 16};
}
const Found kBehind200{254, 654, 44100, 16};
const auto kBehind = static_cast<std::int64_t>(kFront.size());
const std::string kUnsized = riff(kStereo16 + sized_data(0));
// A data chunk whose size ends the samples at 444, and that outcome.
const std::string kWhole = riff(kStereo16 + chunk("data", kSamples));
const Found kStated{44, 444, 44100, 16};
std::string wide(const char* form, const std::string& first, const std::string& data = "data" + le(~0U, 4) + kSamples) {
  return riff(first + kStereo16 + data + kTail).replace(0, 4, form);
}

TEST_F(Probe, FindsChunksAndRefusesWhatItCannotSplit) {
  const std::string list_with_letters = chunk("LIST", std::string("..data").append(20, '\0'));
  const std::string stereo = attached(wave_of(2, 64));
  const std::string padded = attached(wave_of(2, 64), 256);
  const std::string mono = attached(wave_of(1, 64));
  const std::string second = attached(wave_of(2, 32000));
  const std::string stops_short = attached(wave_of(2, 64), 0, kShort);
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
      {"two ID3v2 tags in front, one odd with chunk letters, one of 40 KiB",
       kFront + kWhole + kId3v1,
       Found{kBehind + 44, kBehind + 444, 44100, 16},
       {}},
      {"an odd ID3v2 tag in front, then no RIFF header", id3v2("x", 11) + headless(kStereo16), {}, kNoFormat},
      {"a front tag of a plain size, metadata in its text",
       front_tag(kPlain200, "metadata", 200) + kWhole,
       kBehind200,
       {}},
      {"a front tag's size stops short", front_tag("\0\0\0\x64", "metadata", 200) + kWhole, kBehind200, {}},
      {"a front tag's size stops short, RIFF and WAVE in its text",
       front_tag("\0\0\0\x64", "RIFF" + le(100, 4) + "WAVEmetadata", 200) + kWhole,
       kBehind200,
       {}},
      {"a front tag's footer flag, with no footer",
       front_tag("\0\0\1\x48", "metadata", 200, 0x10) + kWhole,
       kBehind200,
       {}},
      {"a front tag of a plain size, no RIFF header anywhere",
       front_tag(kPlain200, "metadata", 200) + headless(kStereo16 + chunk("data", kSamples)),
       Found{22, 654, 44100, 16},
       {}},
      {"a front tag of a plain size, the RIFF header past the window",
       front_tag(kPlain200, "metadata", 15100) + kWhole,
       {},
       kNoFormat},
      {"a plain-size tag holding a stereo WAVE file", stereo + kWhole, behind(stereo), {}},
      {"the same, padded", padded + kWhole, behind(padded), {}},
      {"the same, the WAVE file mono", mono + kWhole, behind(mono), {}},
      {"the same, the WAVE file a second long, the header past the window", second + kWhole, behind(second), {}},
      {"a tag that stops short, holding a WAVE file", stops_short + kWhole, behind(stops_short), {}},
      {"a tag that stops short, a WAVE file inside the file's own chunk",
       front_tag(kShort, "metadata", 200) + riff(kStereo16 + chunk("data", kSamples) + chunk("wavf", wave_of(2, 64))),
       kBehind200,
       {}},
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
    SCOPED_TRACE(test.what);
    try {
      const Attributes got = probe(test.bytes);
      if (!test.found) {
        ADD_FAILURE() << "accepted";
        continue;
      }
      EXPECT_EQ(got.channels, 2U);
      EXPECT_EQ(got.data_offset, test.found->offset);
      EXPECT_EQ(got.data_end, test.found->end);
      EXPECT_EQ(got.sample_rate, test.found->rate);
      EXPECT_EQ(got.bits_per_sample, test.found->bits);
      EXPECT_EQ(got.bytes_per_sample, test.found->bits / 8);
    } catch (const Failure& failure) {
      EXPECT_EQ(std::optional(failure.fault), test.refused);
    }
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
