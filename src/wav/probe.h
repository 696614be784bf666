// Reads and judges a stereo input: where its samples lie, its sample rate and bit depth.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace tessmar {

struct Attributes {
  std::uint32_t channels = 0;
  std::int64_t data_offset = 0;  // first sample byte
  std::int64_t data_end = 0;     // samples run up to here, never past the end of the file
  std::uint32_t sample_rate = 0;
  std::uint32_t bytes_per_sample = 0;
  std::uint32_t bits_per_sample = 0;
};

// Tags and chunk headers are looked for at offsets up to this one.
constexpr std::int64_t kTagWindow = 15000;
// The furthest field read lies at the format tag + 22, two bytes wide.
constexpr std::int64_t kHeadSize = kTagWindow + 24;

// The bytes from a stated data end on that decide whether the file confirms it.
constexpr std::int64_t kEndCheck = 5;

// Judges a file from its first min(length, kHeadSize) bytes; bytes past the end read as zero.
// The samples end where the data chunk's size says, if that fits the file, else at its end.
// Reports an unusable file and ends the run.
Attributes parse_head(std::span<const unsigned char> head, std::int64_t file_length);

// Where the samples end, given the file's bytes from the stated end on (at most kEndCheck):
// the stated end if the file confirms it, else the end of the file. A placeholder, wrapped or
// stale size that fits a long recording is followed by more audio, not by a chunk id.
std::int64_t confirmed_end(std::int64_t stated_end, std::int64_t file_length, std::span<const unsigned char> from_end);

// Whole stereo frames of samples of the given width between the data offset and end.
std::uint64_t whole_frames(std::int64_t data_offset, std::int64_t data_end, std::uint32_t bytes_per_sample);

// Probes the named file and fills tracks[track].
void GET_ATTRIBUTES(int track, const std::string& name, std::span<Attributes> tracks);

}  // namespace tessmar
