// Tags in front of the RIFF header: skipped where their sizes lead to it, and never taken for the
// recording where they do not, nor a WAVE file attached inside one.
#include <gtest/gtest.h>

#include <string>

#include "support/wav_bytes.h"
#include "wav/probed.h"

namespace tessmar {
namespace {

using tessmar_test::le;

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

using FrontTags = Probe;

TEST_F(FrontTags, AreSkippedAndNothingInsideOneIsTakenForTheRecording) {
  const std::string stereo = attached(wave_of(2, 64));
  const std::string padded = attached(wave_of(2, 64), 256);
  const std::string mono = attached(wave_of(1, 64));
  const std::string second = attached(wave_of(2, 32000));
  const std::string stops_short = attached(wave_of(2, 64), 0, kShort);
  const Case cases[] = {
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
  };
  for (const Case& test : cases) {
    expect(test);
  }
}

}  // namespace
}  // namespace tessmar
