// Copies one channel's samples from the stereo input behind an output's header.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "wav/probe.h"

namespace tessmar {

// Frames read per block: large enough that system calls cost little beside the copying,
// small enough that the block stays in the cache.
constexpr std::size_t kBlockFrames = 32768;

// Told after each block how many frames of the channel have been copied so far; it may end the
// copy there by failing.
using FramesCopied = std::function<void(int channel, std::uint64_t frames)>;

// Writes every whole frame's sample of the channel (0 left, 1 right) between the data offset
// and data end of the input to the output, behind its header, bytes unchanged. The input must
// be the file that was probed, unchanged (a read fault otherwise).
void COPY_DATA(const std::string& input, const Attributes& attributes, int channel, const File& output,
               const FramesCopied& copied = {});

// Copy stage: the left file is complete before the right one gets a sample.
void copy_channels(const std::string& input, const Attributes& attributes, const File& left, const File& right,
                   const FramesCopied& copied = {});

}  // namespace tessmar
