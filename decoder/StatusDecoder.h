#pragma once

#include <string>

#include "decoder/FrameDecoder.h"

namespace windlark {

// Positions of the status block's fields from the start of its data (frame byte 59 in the
// classic layout, 73 in the current one).
inline constexpr std::size_t kFrameNumberOffset = 0;
inline constexpr std::size_t kSondeIdOffset = 2;
inline constexpr std::size_t kSondeIdLength = 8;
inline constexpr std::size_t kBatteryOffset = 10;
inline constexpr std::size_t kFragmentIndexOffset = 23;
inline constexpr std::size_t kFragmentOffset = 24;
inline constexpr int kFragmentBytes = 16;

// Frame number, sonde id, battery and one calibration fragment from the status block whose
// data starts at frame byte `at`; runs when the block passes.
void DecodeStatus(const RawFrame& frame, std::size_t at, SondeState& state, TelemetryLog& log,
                  DecodeContext& ctx);

// Stores the calibration fragment of the status block at `at` and derives what it unlocks.
void AcceptFragment(const RawFrame& frame, std::size_t at, SondeState& state, DecodeContext& ctx);

// "HH:MM:SS" of a duration in seconds split into hours, minutes and seconds.
std::string FormatHms(int hours, int minutes, int seconds);

// Power-off time of the burst killer, once per sonde, from this frame's GPS time.
void ShowPoweroffTime(SondeState& state, DecodeContext& ctx);

}  // namespace windlark
