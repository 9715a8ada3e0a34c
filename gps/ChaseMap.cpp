#include "gps/ChaseMap.h"

#include <charconv>

#include "base/Format.h"
#include "base/Json.h"

namespace windlark {

namespace {

constexpr std::size_t kFrequencyFragment = 0;
constexpr std::size_t kTypeFragment = 33;
constexpr std::size_t kCountdownFragment = 50;
constexpr int kNoBurstTimer = 65535;
constexpr double kKmhPerMs = 3.6;

}  // namespace

std::string ChaseMapDatagram(const SondeState& state) {
  JsonObject json;
  json.Add("type", "PAYLOAD_SUMMARY");
  json.Add("callsign", state.sondeId);
  json.AddNumber("latitude", state.latitude, 6);
  json.AddNumber("longitude", state.longitude, 6);
  json.AddNumber("altitude", state.altitude, 1);
  json.AddNumber("speed", state.horizontalSpeed * kKmhPerMs, 1);
  json.AddNumber("heading", state.heading, 1);
  if (state.gpsTimeValid) {
    json.Add("time", FormatInt(state.gpsHour, 2) + ":" + FormatInt(state.gpsMinute, 2) + ":" +
                         FormatInt(state.gpsSecond, 2));
  }
  const bool typeKnown = state.fragmentReceived[kTypeFragment] && !state.sondeType.empty();
  json.Add("model", typeKnown ? state.sondeType : std::string("RS41"));
  if (state.fragmentReceived[kFrequencyFragment] && state.frequencyKHz > 0) {
    json.Add("freq", FormatFixed(state.frequencyKHz / 1000.0, 3) + " MHz");
  }
  if (state.temperatureDecoded) json.AddNumber("temp", state.temperature, 1);
  json.Add("frame", static_cast<int>(state.frameNumber));
  json.AddNumber("vel_v", state.verticalSpeed, 1);
  json.Add("sats", static_cast<int>(state.numSatellites));
  json.AddNumber("batt", state.batteryVoltage, 1);
  if (state.fragmentReceived[kCountdownFragment]) {
    const int seconds =
        state.countdownHours * 3600 + state.countdownMinutes * 60 + state.countdownSeconds;
    json.Add("bt", state.countdownActive ? seconds : kNoBurstTimer);
  }
  json.Add("comment", "Windlark");
  return json.Str();
}

bool ParseHostPort(const std::string& text, std::string& host, int& port) {
  const auto colon = text.rfind(':');
  if (colon == std::string::npos || colon == 0) return false;
  const char* begin = text.data() + colon + 1;
  const char* end = text.data() + text.size();
  int value = 0;
  const auto result = std::from_chars(begin, end, value);
  if (result.ec != std::errc() || result.ptr != end || begin == end || value < 1 || value > 65535) {
    return false;
  }
  host = text.substr(0, colon);
  port = value;
  return true;
}

}  // namespace windlark
