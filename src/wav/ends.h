// Reads at both ends of the input: where its WAVE form starts behind the tags in front of it, and
// where its samples end before the items and tags behind them.
#pragma once

#include <cstdint>

#include "wav/io.h"

namespace tessmar {

// Where the file's RIFF (RF64, BW64) header stands behind the ID3v2 tags that some taggers put in
// front of it. Where the tags' sizes do not lead to one, the first tag's size read as a plain
// number, as some taggers write it; where that leads to none either, the header in the window
// that header_in_window finds, never one attached inside a tag. 0 where no tag stands first, or
// no header qualifies.
std::int64_t wave_start(const File& file, std::int64_t length);

// Whether items, one after another from `at`, run exactly to the end of the file, or for
// kMostItems items without running past it.
bool items_reach_end(const File& file, std::int64_t at, std::int64_t length);

// Where audio of no stated size ends: before the tags that taggers append behind it, each of
// which must start at or after the first sample.
std::int64_t end_before_tags(const File& file, std::int64_t data_offset, std::int64_t length);

}  // namespace tessmar
