#include "sondehub/Telemetry.h"

#include <cmath>
#include <ctime>

#include "base/Format.h"
#include "base/Json.h"
#include "decoder/BlockWalk.h"

namespace windlark {

namespace {

constexpr std::size_t kFrequencyFragment = 0;
constexpr std::size_t kFirmwareFragment = 1;
constexpr std::size_t kTypeFragment = 33;
constexpr std::size_t kMainboardFragment = 34;
constexpr std::size_t kCountdownFragment = 50;
// The mainboard's name ("RSM412") in the calibration image, right after the type text.
constexpr std::size_t kCalMainboard = 0x222;
constexpr std::size_t kCalMainboardLength = 10;
constexpr std::size_t kCryptoModeOffset = 0x0F;  // in the status block's data

// Text from the air that is printable ASCII, else nothing: a damaged name is left out.
std::optional<std::string> PrintableText(std::string_view text) {
  if (text.empty()) return std::nullopt;
  for (const char c : text) {
    if (c < 0x20 || c > 0x7E) return std::nullopt;
  }
  return std::string(text);
}

void AddFinite(JsonObject& json, std::string_view key, double value, int decimals) {
  if (std::isfinite(value)) json.AddNumber(key, value, decimals);
}

std::string AuxHex(const FrameChecks& checks) {
  std::string aux;
  for (const auto& block : checks.aux) {
    if (block.text.empty()) continue;
    if (!aux.empty()) aux += '#';
    aux += block.text;
  }
  return aux;
}

std::string PositionJson(const std::array<double, 3>& p) {
  return "[" + FormatFixed(p[0], 5) + "," + FormatFixed(p[1], 5) + "," + FormatFixed(p[2], 1) + "]";
}

void AddStation(JsonObject& json, const SondeHubStation& station) {
  json.Add("software_name", "Windlark")
      .Add("software_version", station.softwareVersion)
      .Add("uploader_callsign", station.callsign);
}

std::tm UtcFields(std::chrono::system_clock::time_point t) {
  const std::time_t seconds = std::chrono::system_clock::to_time_t(t);
  std::tm fields{};
  gmtime_r(&seconds, &fields);
  return fields;
}

std::string DateTimeText(int year, int month, int day, int hour, int minute, int second) {
  return FormatInt(year, 4) + "-" + FormatInt(month, 2) + "-" + FormatInt(day, 2) + "T" +
         FormatInt(hour, 2) + ":" + FormatInt(minute, 2) + ":" + FormatInt(second, 2);
}

}  // namespace

bool PlausibleSerial(std::string_view serial) {
  if (serial.size() != 8 || serial[0] < 'A' || serial[0] > 'Z') return false;
  for (const char c : serial) {
    if (!((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))) return false;
  }
  return true;
}

bool FrameEncrypted(const RawFrame& frame, const SondeState& state) {
  if (state.sondeType.rfind("RS41-SGM", 0) == 0) return true;
  for (const FoundBlock& block : WalkBlocks(frame).blocks) {
    // The SGM's own blocks: encrypted data, or its short measurements in the unencrypted mode.
    if (block.id == kEncryptedBlockId || block.id == kShortPtuBlockId) return true;
    // The status block's crypto mode is 0 on every other sonde; it tells an SGM before its
    // type text has come in with the calibration.
    if (block.id == kStatusBlockId && block.crcOk && block.length == kStatusBlockLength) {
      const auto at = static_cast<std::size_t>(block.position) + 2 + kCryptoModeOffset;
      if (at < frame.size() && frame[at] != 0) return true;
    }
  }
  return false;
}

std::string FrameUtcTime(const SondeState& state) {
  long long seconds =
      static_cast<long long>(DaysFromCivil(state.gpsYear, state.gpsMonth, state.gpsDay)) * 86400 +
      state.gpsHour * 3600LL + state.gpsMinute * 60LL + state.gpsSecond;
  if (state.timeReference == TimeReference::Gps) seconds -= kGpsUtcLeapSeconds;
  const long long days = seconds >= 0 ? seconds / 86400 : (seconds - 86399) / 86400;
  const long long rest = seconds - days * 86400;
  std::int32_t year = 0;
  std::int32_t month = 0;
  std::int32_t day = 0;
  CivilFromDays(static_cast<std::int32_t>(days), year, month, day);
  return DateTimeText(year, month, day, static_cast<int>(rest / 3600),
                      static_cast<int>(rest % 3600 / 60), static_cast<int>(rest % 60)) +
         "." + FormatInt(state.gpsMillis, 3) + "Z";
}

std::string Rfc3339(std::chrono::system_clock::time_point t) {
  const std::tm f = UtcFields(t);
  const auto micros =
      std::chrono::duration_cast<std::chrono::microseconds>(t.time_since_epoch()).count() % 1000000;
  return DateTimeText(f.tm_year + 1900, f.tm_mon + 1, f.tm_mday, f.tm_hour, f.tm_min, f.tm_sec) +
         "." + FormatInt(micros < 0 ? micros + 1000000 : micros, 6) + "Z";
}

std::string HttpDate(std::chrono::system_clock::time_point t) {
  static constexpr std::array<const char*, 7> kDays = {"Sun", "Mon", "Tue", "Wed",
                                                       "Thu", "Fri", "Sat"};
  static constexpr std::array<const char*, 12> kMonths = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  const std::tm f = UtcFields(t);
  return std::string(kDays[static_cast<std::size_t>(f.tm_wday)]) + ", " + FormatInt(f.tm_mday, 2) +
         " " + kMonths[static_cast<std::size_t>(f.tm_mon)] + " " + FormatInt(f.tm_year + 1900, 4) +
         " " + FormatInt(f.tm_hour, 2) + ":" + FormatInt(f.tm_min, 2) + ":" +
         FormatInt(f.tm_sec, 2) + " GMT";
}

TelemetryResult TelemetryObject(const SondeState& state, const FrameChecks& checks,
                                const RawFrame& frame, const SondeHubStation& station,
                                std::chrono::system_clock::time_point received) {
  TelemetryResult result;
  const FrameRecord& record = checks.record;
  // First, so that the events log can say why an SGM's frames are missing.
  if (FrameEncrypted(frame, state)) {
    result.skip = TelemetrySkip::Encrypted;
    return result;
  }
  if (!checks.status || !checks.gpsTime || record.positionValid == 0 ||
      !std::isfinite(state.latitude) || !std::isfinite(state.longitude) ||
      !std::isfinite(state.altitude)) {
    result.skip = TelemetrySkip::NoPosition;
    return result;
  }
  if (!PlausibleSerial(state.sondeId)) {
    result.skip = TelemetrySkip::BadSerial;
    return result;
  }

  JsonObject json;
  AddStation(json, station);
  json.Add("time_received", Rfc3339(received)).Add("manufacturer", "Vaisala").Add("type", "RS41");
  if (state.fragmentReceived[kTypeFragment]) {
    if (const auto subtype = PrintableText(state.sondeType)) json.Add("subtype", *subtype);
  }
  json.Add("serial", state.sondeId)
      .Add("frame", static_cast<int>(state.frameNumber))
      .Add("datetime", FrameUtcTime(state));
  // The same precision as the command line's JSON of the frame.
  AddFinite(json, "lat", state.latitude, 5);
  AddFinite(json, "lon", state.longitude, 5);
  AddFinite(json, "alt", state.altitude, 2);
  AddFinite(json, "vel_h", state.horizontalSpeed, 2);
  AddFinite(json, "heading", state.heading, 1);
  AddFinite(json, "vel_v", record.verticalSpeed, 2);
  json.Add("sats", static_cast<int>(state.numSatellites));
  if (checks.temperature) AddFinite(json, "temp", state.temperature, 1);
  if (record.ptuValid != 0) AddFinite(json, "humidity", state.humidity, 1);
  if (checks.pressure) AddFinite(json, "pressure", state.pressure, 2);
  AddFinite(json, "batt", state.batteryVoltage, 1);
  if (state.fragmentReceived[kCountdownFragment] && state.countdownActive) {
    json.Add("burst_timer",
             state.countdownHours * 3600 + state.countdownMinutes * 60 + state.countdownSeconds);
  }
  if (state.fragmentReceived[kFrequencyFragment]) {
    AddFinite(json, "frequency", state.frequencyKHz / 1000.0, 3);
  }
  if (const std::string aux = AuxHex(checks); !aux.empty()) json.Add("xdata", aux);
  if (state.fragmentReceived[kMainboardFragment]) {
    std::string name;
    for (std::size_t k = 0; k < kCalMainboardLength; ++k) {
      const auto c = state.calibration[kCalMainboard + k];
      if (c == 0) break;
      name += static_cast<char>(c);
    }
    if (const auto mainboard = PrintableText(name)) json.Add("rs41_mainboard", *mainboard);
  }
  if (state.fragmentReceived[kFirmwareFragment]) {
    json.Add("rs41_mainboard_fw", FormatInt(state.firmwareVersion));
  }
  if (station.position) json.AddRaw("uploader_position", PositionJson(*station.position));
  if (!station.antenna.empty()) json.Add("uploader_antenna", station.antenna);
  if (station.testMode) json.Add("dev", true);
  result.json = json.Str();
  return result;
}

std::string ListenerObject(const SondeHubStation& station) {
  JsonObject json;
  AddStation(json, station);
  if (station.position) json.AddRaw("uploader_position", PositionJson(*station.position));
  if (!station.antenna.empty()) json.Add("uploader_antenna", station.antenna);
  json.Add("mobile", station.mobile);
  if (station.testMode) json.Add("dev", true);
  return json.Str();
}

}  // namespace windlark
