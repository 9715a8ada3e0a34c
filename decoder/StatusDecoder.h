#pragma once

#include <string>

#include "decoder/FrameDecoder.h"

namespace windlark {

// Frame positions of the status block's fields.
inline constexpr std::size_t kFrameNumberPos = 59;
inline constexpr std::size_t kSondeIdPos = 61;
inline constexpr std::size_t kSondeIdLength = 8;
inline constexpr std::size_t kBatteryPos = 69;
inline constexpr std::size_t kFragmentIndexPos = 82;
inline constexpr std::size_t kFragmentPos = 83;
inline constexpr int kFragmentBytes = 16;

// Frame number, sonde id, battery and one calibration fragment; runs when the status block passes.
void DecodeStatus(const RawFrame& frame, SondeState& state, TelemetryLog& log, DecodeContext& ctx);

// Stores one calibration fragment and derives what it unlocks.
void AcceptFragment(const RawFrame& frame, SondeState& state, DecodeContext& ctx);

// "HH:MM:SS" of a duration in seconds split into hours, minutes and seconds.
std::string FormatHms(int hours, int minutes, int seconds);

// Power-off time of the burst killer, once per sonde, from this frame's GPS time.
void ShowPoweroffTime(SondeState& state, DecodeContext& ctx);

}  // namespace windlark
