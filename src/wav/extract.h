// Copies one channel's samples from the stereo input behind an output's header.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "wav/probe.h"

namespace tessmar {

// Frames read per block: large enough that system calls cost little beside the copying,
// small enough that the block stays in the cache.
constexpr std::size_t kBlockFrames = 32768;

// Appends every whole frame's sample of the channel (0 left, 1 right) between the data
// offset and data end of the input to the output, bytes unchanged.
void COPY_DATA(const std::string& input, const std::string& output, std::int64_t data_offset, std::int64_t data_end,
               int channel, std::uint32_t bits);

// Copy stage: the left file is complete before the right one gets a sample.
void copy_channels(const std::string& input, const Attributes& attributes, const std::string& left,
                   const std::string& right);

}  // namespace tessmar
