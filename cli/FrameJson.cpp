#include "cli/FrameJson.h"

#include "app/Format.h"
#include "app/Json.h"

namespace windlark {

namespace {

constexpr int kNoBurstTimer = 65535;
constexpr std::size_t kTypeFragment = 33;
constexpr std::size_t kFrequencyFragment = 0;
constexpr std::size_t kCountdownFragment = 50;

std::string CrcJson(const FrameChecks& checks) {
  std::string aux = "[";
  for (const auto& block : checks.aux) {
    if (aux.size() > 1) aux += ',';
    aux += block.crcOk ? "true" : "false";
  }
  aux += ']';
  return JsonObject()
      .Add("status", checks.status)
      .Add("ptu", checks.ptu)
      .Add("gps_time", checks.gpsTime)
      .Add("gps_pos", checks.gpsPosition)
      .AddRaw("xdata", aux)
      .Str();
}

}  // namespace

std::string FrameJson(const SondeState& state, const FrameChecks& checks) {
  JsonObject json;
  json.Add("type", "RS41");
  if (checks.status) {
    json.Add("frame", static_cast<int>(state.frameNumber));
    json.Add("id", state.sondeId);
    json.AddNumber("batt", state.batteryVoltage, 1);
    if (state.fragmentReceived[kTypeFragment] && !state.sondeType.empty()) {
      json.Add("subtype", state.sondeType);
    }
    if (state.fragmentReceived[kFrequencyFragment]) {
      json.AddNumber("freq", state.frequencyKHz / 1000.0, 3);
    }
    if (state.fragmentReceived[kCountdownFragment]) {
      const int seconds =
          state.countdownHours * 3600 + state.countdownMinutes * 60 + state.countdownSeconds;
      json.Add("bt", state.countdownActive ? seconds : kNoBurstTimer);
    }
  }
  json.AddRaw("crc", CrcJson(checks));
  return json.Str();
}

}  // namespace windlark
