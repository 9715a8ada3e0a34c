#pragma once

#include <string>

#include "decoder/FrameDecoder.h"

namespace windlark {

// One JSON line for a decoded frame, in the field names radiosonde tools already read. A field
// appears only when the block it comes from passed its CRC in this frame.
std::string FrameJson(const SondeState& state, const FrameChecks& checks);

}  // namespace windlark
