#pragma once

#include <array>
#include <chrono>
#include <optional>
#include <string>
#include <string_view>

#include "base/RawFrame.h"
#include "decoder/FrameDecoder.h"

namespace windlark {

// Who uploads: the fields every telemetry object and the listener record carry.
struct SondeHubStation {
  std::string callsign;
  std::string antenna;
  std::optional<std::array<double, 3>> position;  // latitude, longitude (degrees), altitude (m)
  bool mobile = false;
  bool testMode = false;
  std::string softwareVersion;
};

// Why a frame gives no telemetry object.
enum class TelemetrySkip { None, NoPosition, Encrypted, BadSerial };

struct TelemetryResult {
  TelemetrySkip skip = TelemetrySkip::None;
  std::string json;  // one object, when skip is None
};

// The leap seconds between GPS time and UTC; the classic layout's time counts GPS seconds.
inline constexpr int kGpsUtcLeapSeconds = 18;

// One telemetry object of a decoded frame: only a frame with an intact status block, GPS time
// and a trustworthy position gives one, never an encrypted (RS41-SGM) frame. A value the frame
// did not carry is left out. `received` is the PC's time of reception.
TelemetryResult TelemetryObject(const SondeState& state, const FrameChecks& checks,
                                const RawFrame& frame, const SondeHubStation& station,
                                std::chrono::system_clock::time_point received);

// The listener record of the station.
std::string ListenerObject(const SondeHubStation& station);

// Whether the frame comes from an RS41-SGM (by its type, its status block's crypto mode or its
// own blocks): a military sonde whose data are encrypted, or kept from the public when not.
bool FrameEncrypted(const RawFrame& frame, const SondeState& state);

// A serial the database can take: one capital letter and seven more capitals or digits.
bool PlausibleSerial(std::string_view serial);

// The frame's own time as UTC "YYYY-MM-DDTHH:MM:SS.mmmZ" (GPS time less the leap seconds).
std::string FrameUtcTime(const SondeState& state);

// "YYYY-MM-DDTHH:MM:SS.uuuuuuZ" and an HTTP Date header "Thu, 10 Dec 2026 14:30:00 GMT".
std::string Rfc3339(std::chrono::system_clock::time_point t);
std::string HttpDate(std::chrono::system_clock::time_point t);

}  // namespace windlark
