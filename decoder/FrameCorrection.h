#pragma once

#include <cstdint>
#include <span>

#include "decoder/FramePrediction.h"

namespace windlark {

// The longest frame (with auxiliary data): what the correction works on.
inline constexpr int kLongFrameBytes = 518;

// Reed-Solomon correction of a de-whitened frame of kLongFrameBytes bytes (a short frame's
// tail is ignored) before its blocks are read. `reliability` gives per byte how sure the
// receiver was of it (larger is surer); the least reliable bytes are tried as erasures, the
// bytes the layout fixes (frame type, block ids and lengths) are pinned. A result is accepted
// only when afterwards every block of the frame passes its CRC, so that a miscorrection never
// reaches the decoder. Returns the number of bytes changed, or -1 (frame unchanged).
// `hints` are what the sonde's last good frame foretells; they are tried first.
int CorrectFrame(std::span<std::uint8_t, kLongFrameBytes> frame,
                 std::span<const float, kLongFrameBytes> reliability,
                 std::span<const ByteHint> hints = {});

// Every block from the first one to the frame end passes its CRC and the chain ends exactly
// there.
bool AllBlocksPass(std::span<const std::uint8_t> frame, int frameEnd);

}  // namespace windlark
