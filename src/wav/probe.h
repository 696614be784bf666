// Reads and judges a stereo input: where its samples lie, its sample rate and bit depth.
//
// Words the WAV engine uses:
// - tag: ID3 (v1, v2) or APE metadata, which taggers put in front of a file or behind its audio.
//   A chunk's four letters are its chunk id, never a tag.
// - item: what may follow the samples, one after another: a chunk or a tag.
// - stated end: where the data chunk's size ends the samples; unstated where that size is 0 or
//   larger than the file, and the samples run to the end of the file, less the tags behind them.
// - window: the offsets up to kTagWindow (15000) from the WAVE header, at which chunk ids are
//   looked for, and, behind a damaged tag in front, the header itself.
// - head: the bytes read from the WAVE header on, the window and the fields past it (kHeadSize).
// - whole frame: a left and a right sample; a part frame at the end is never copied.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "wav/io.h"

namespace tessmar {

struct Attributes {
  std::uint32_t channels = 0;
  std::int64_t data_offset = 0;  // first sample byte
  std::int64_t data_end = 0;     // samples run up to here, never past the end of the file
  std::uint32_t sample_rate = 0;
  std::uint32_t bytes_per_sample = 0;
  std::uint32_t bits_per_sample = 0;
  FileId input;  // the file probed, as it was then
};

// A data end that the data chunk does not state: its size is 0, or larger than the file.
constexpr std::int64_t kUnstated = -1;

// Judges a file from its first min(length, kHeadSize) bytes; bytes past the end read as zero.
// The samples end where the data chunk's size says, if that fits the file, else kUnstated;
// GET_ATTRIBUTES then asks the rest of the file to confirm it. Fails with the fault of an
// unusable file.
Attributes parse_head(std::span<const unsigned char> head, std::int64_t file_length);

// Whole stereo frames of samples of the given width between the data offset and end.
std::uint64_t whole_frames(std::int64_t data_offset, std::int64_t data_end, std::uint32_t bytes_per_sample);
// The whole frames of a probed input: what each output holds.
inline std::uint64_t whole_frames(const Attributes& attributes) {
  return whole_frames(attributes.data_offset, attributes.data_end, attributes.bytes_per_sample);
}

// Probes the named file and fills tracks[track]. ID3v2 tags in front of the RIFF header are
// skipped, even where their sizes are wrong. The stated data end is believed where the file ends there or one pad byte
// later, or where a run of items from there, or from one byte later, ends the file; else the samples run to the end of
// the file, less the tags appended behind them. A placeholder, wrapped or stale size that fits a long recording is
// followed by more audio, which is not read as items up to the end.
void GET_ATTRIBUTES(int track, const std::string& name, std::span<Attributes> tracks);

}  // namespace tessmar
