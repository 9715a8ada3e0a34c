#pragma once

#include <string>

#include "decoder/FrameDecoder.h"

namespace windlark {

// Field positions from the start of each block's data.
// GPS time (0x7C): week, time of week, then 12 x (PRN, strength).
inline constexpr std::size_t kGpsWeekOffset = 0;
inline constexpr std::size_t kTimeOfWeekOffset = 2;
inline constexpr std::size_t kSatelliteOffset = 6;
// GPS position (0x7B) and GNSS position (0x82) share the ECEF position and velocity; 0x7B goes
// on with satellites, speed accuracy and pDOP, 0x82 with the UTC date and time.
inline constexpr std::size_t kNumSatellitesOffset = 18;
inline constexpr std::size_t kSpeedAccuracyOffset = 19;
inline constexpr std::size_t kPdopOffset = 20;
inline constexpr std::size_t kUtcYearOffset = 18;
// GNSS satellites (0x83): a bitmap of 168 satellite slots, then one status nibble per set bit.
inline constexpr std::size_t kSlotBitmapOffset = 4;
inline constexpr std::size_t kSlotBitmapBytes = 21;
inline constexpr std::size_t kSlotStatusOffset = 25;
inline constexpr std::size_t kSlotStatusBytes = 16;

// The read-outs of a value the frame does not carry.
inline constexpr const char* kNotSent = "n/a";

// A speed in m/s as text in a unit; a value outside the three units gives "".
std::string FormatSpeed(double metresPerSecond, SpeedUnit unit);

// The classic position block at `at`: position and velocity, satellites, speed accuracy and
// pDOP; with satellites also the flight state, the home geometry and the frame's record.
void DecodeGpsPosition(const RawFrame& frame, std::size_t at, SondeState& state, TelemetryLog& log,
                       FrameRecord& record, DecodeContext& ctx);

// The current layout's position block at `at`, with the satellite count of this frame's (or
// else the last) satellite block. A position at the earth's centre is no fix.
void DecodeGnssPosition(const RawFrame& frame, std::size_t at, SondeState& state, TelemetryLog& log,
                        FrameRecord& record, DecodeContext& ctx);

// Calendar date and time from GPS week and time of week (no leap seconds), the satellite table.
void DecodeGpsTime(const RawFrame& frame, std::size_t at, SondeState& state, DecodeContext& ctx);

// The UTC date and time of the current layout's position block at `at`, shown as sent.
void DecodeGnssTime(const RawFrame& frame, std::size_t at, SondeState& state, DecodeContext& ctx);

// The current layout's satellite block at `at`: the number of satellites with a status, and
// the first twelve of them in the satellite table (no signal strengths are sent).
void DecodeGnssSatellites(const RawFrame& frame, std::size_t at, SondeState& state,
                          DecodeContext& ctx);

// The satellite table's label of a slot of the satellite bitmap: GPS PRN 1..32 as "G5",
// Galileo 1..36 as "E12", slots of other systems by their number.
std::string SlotLabel(int slot);

}  // namespace windlark
