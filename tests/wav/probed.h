// What the probe finds in a file's bytes, or the fault it refuses them with: the rows of the
// probe's tables and the check of one row.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <optional>
#include <string>

#include "support/failure.h"
#include "support/run.h"
#include "support/wav_bytes.h"
#include "wav/probe.h"

namespace tessmar {

using tessmar_test::chunk;
using tessmar_test::Failure;
using tessmar_test::Fault;
using tessmar_test::fmt_chunk;
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

  void expect(const Case& test) const {
    SCOPED_TRACE(test.what);
    try {
      const Attributes got = probe(test.bytes);
      if (!test.found) {
        ADD_FAILURE() << "accepted";
        return;
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
};

const std::string kStereo16 = fmt_chunk(2, 44100, 16);
const std::string kSamples(400, '\x11');
constexpr Fault kNoFormat = Fault::kNoFormat;
const std::string kId3v1 = "TAG" + std::string(125, '\0');
inline std::string headless(const std::string& body) { return "JUNKxxxxJUNK" + body; }
// A data chunk whose size ends the samples at 444, and that outcome.
const std::string kWhole = riff(kStereo16 + chunk("data", kSamples));
const Found kStated{44, 444, 44100, 16};

}  // namespace tessmar
