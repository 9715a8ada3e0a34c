#pragma once

#include <string>

#include "decoder/FrameDecoder.h"

namespace windlark {

inline constexpr std::size_t kGpsWeekPos = 149;
inline constexpr std::size_t kTimeOfWeekPos = 151;
inline constexpr std::size_t kSatellitePos = 155;

inline constexpr std::size_t kPositionPos = 276;

// A speed in m/s as text in a unit; a value outside the three units gives "".
std::string FormatSpeed(double metresPerSecond, SpeedUnit unit);

// Position and velocity; with satellites also the flight state, the home geometry and the
// frame's record.
void DecodeGpsPosition(const RawFrame& frame, SondeState& state, TelemetryLog& log,
                       FrameRecord& record, DecodeContext& ctx);

// Calendar date and time from GPS week and time of week (no leap seconds), the satellite table.
void DecodeGpsTime(const RawFrame& frame, SondeState& state, DecodeContext& ctx);

}  // namespace windlark
