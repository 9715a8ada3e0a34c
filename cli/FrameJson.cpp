#include "cli/FrameJson.h"

#include "base/Format.h"
#include "base/Json.h"

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
  JsonObject json;
  json.Add("status", checks.status)
      .Add("ptu", checks.ptu)
      .Add("gps_time", checks.gpsTime)
      .Add("gps_pos", checks.gpsPosition);
  // The current layout's time and position share one block; its satellites have their own.
  if (checks.layout == FrameLayout::Current) json.Add("gnss_sats", checks.gnssSatellites);
  return json.AddRaw("xdata", aux).Str();
}

// The raw instrument texts joined by "#", and what was decoded of each kind of instrument.
void AddInstruments(JsonObject& json, const FrameChecks& checks) {
  std::string aux;
  for (const auto& block : checks.aux) {
    if (block.text.empty()) continue;
    if (!aux.empty()) aux += '#';
    aux += block.text;
  }
  if (!aux.empty()) json.Add("aux", aux);
  const XdataRecord& x = checks.record.xdata;
  if (x.ozonePresent != 0) {
    json.AddRaw("oif411", JsonObject()
                              .AddNumber("pump_temp", x.ozonePumpTemperature, 2)
                              .AddNumber("pump_current", x.ozonePumpCurrent, 0)
                              .AddNumber("o3_current", x.ozoneCurrent, 3)
                              .AddNumber("batt", x.ozoneBatteryVoltage, 1)
                              .AddNumber("ext_voltage", x.ozoneExtVoltage, 1)
                              .Str());
  }
  if (x.cobaldPresent != 0) {
    json.AddRaw("cobald", JsonObject()
                              .Add("serial", x.cobaldSerial)
                              .AddNumber("temp", x.cobaldTemperature, 2)
                              .Add("blue_signal", x.cobaldBlueSignal)
                              .Add("red_signal", x.cobaldRedSignal)
                              .Add("blue_monitor", x.cobaldBlueMonitor)
                              .Add("red_monitor", x.cobaldRedMonitor)
                              .Str());
  }
  if (x.cfhPresent != 0) {
    json.AddRaw("cfh", JsonObject()
                           .AddNumber("mirror_temp", x.cfhMirrorTemperature, 2)
                           .AddNumber("detector_signal", x.cfhDetectorSignal, 5)
                           .AddNumber("optics_temp", x.cfhOpticsTemperature, 2)
                           .AddNumber("batt", x.cfhBatteryVoltage, 4)
                           .Str());
  }
  if (x.skydewPresent != 0) {
    json.AddRaw("skydew", JsonObject()
                              .AddNumber("pt100", x.skydewPt100Resistance, 2)
                              .AddNumber("mirror_temp", x.skydewMirrorTemperature, 2)
                              .AddNumber("scattered_light", x.skydewScatteredLight, 4)
                              .AddNumber("peltier_current", x.skydewPeltierCurrent, 2)
                              .AddNumber("heat_sink_temp", x.skydewHeatSinkTemperature, 3)
                              .AddNumber("board_temp", x.skydewBoardTemperature, 3)
                              .AddNumber("batt", x.skydewBatteryVoltage, 3)
                              .Str());
  }
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
  const FrameRecord& record = checks.record;
  if (checks.gpsTime && !state.timestamp.empty()) {
    // The log's time stamp "...SSZ" with the milliseconds put in.
    json.Add("datetime", state.timestamp.substr(0, state.timestamp.size() - 1) + "." +
                             FormatInt(state.gpsMillis, 3) + "Z");
    json.Add("ref_datetime", state.timeReference == TimeReference::Utc ? "UTC" : "GPS");
  }
  if (record.positionValid != 0) {
    json.AddNumber("lat", state.latitude, 5);
    json.AddNumber("lon", state.longitude, 5);
    json.AddNumber("alt", state.altitude, 2);
    json.AddNumber("vel_h", state.horizontalSpeed, 2);
    json.AddNumber("heading", state.heading, 1);
    json.AddNumber("vel_v", record.verticalSpeed, 2);
    json.Add("sats", static_cast<int>(state.numSatellites));
  }
  if (checks.temperature) json.AddNumber("temp", state.temperature, 1);
  if (record.ptuValid != 0) json.AddNumber("humidity", state.humidity, 1);
  if (checks.pressure) json.AddNumber("pressure", state.pressure, 2);
  if (record.ptuValid != 0 && state.humidity > 0) json.AddNumber("dewpoint", state.dewPoint, 1);
  AddInstruments(json, checks);
  if (checks.quality) {
    json.Add("ecc", checks.quality->ecc);
    json.AddNumber("snr", checks.quality->snrDb, 1);
    json.AddNumber("f_error", checks.quality->fErrorHz, 0);
  }
  json.AddRaw("crc", CrcJson(checks));
  return json.Str();
}

}  // namespace windlark
