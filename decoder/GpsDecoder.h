#pragma once

#include "decoder/FrameDecoder.h"

namespace windlark {

inline constexpr std::size_t kGpsWeekPos = 149;
inline constexpr std::size_t kTimeOfWeekPos = 151;
inline constexpr std::size_t kSatellitePos = 155;

// Calendar date and time from GPS week and time of week (no leap seconds), the satellite table.
void DecodeGpsTime(const RawFrame& frame, SondeState& state, DecodeContext& ctx);

}  // namespace windlark
