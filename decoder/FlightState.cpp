#include "decoder/FlightState.h"

#include <cmath>

#include "base/Format.h"
#include "base/Projection.h"
#include "decoder/GpsDecoder.h"
#include "xdata/InstrumentChain.h"

namespace windlark {

namespace {

constexpr std::int32_t kGpsEpochDays = 3657;  // 1980-01-06

constexpr ReadOut kEmptiedByNewSonde[] = {
    ReadOut::AvrLevel,      ReadOut::FrameNumber,  ReadOut::SondeId,     ReadOut::Frequency,
    ReadOut::Firmware,      ReadOut::Type,         ReadOut::Battery,     ReadOut::BurstStatus,
    ReadOut::TimerDuration, ReadOut::PoweroffTime, ReadOut::Countdown,   ReadOut::TrackPoints,
    ReadOut::GpsTime,       ReadOut::Latitude,     ReadOut::Longitude,   ReadOut::Altitude,
    ReadOut::VerticalSpeed, ReadOut::WindSpeed,    ReadOut::Direction,   ReadOut::SatsUsed,
    ReadOut::SpeedAccuracy, ReadOut::Pdop,         ReadOut::Temperature, ReadOut::Pressure,
    ReadOut::Humidity,      ReadOut::DewPoint,     ReadOut::Range,       ReadOut::Bearing,
    ReadOut::Elevation,     ReadOut::SlantRange,
};

constexpr double kMaxUsableSpeedAccuracy = 1.0;
// A 3-D fix needs four satellites.
constexpr int kMinSatellitesWithoutAccuracy = 4;

// Whether this position's velocity is good enough for the maximum wind and the reports: by its
// speed accuracy where the sonde sends one; the current layout sends none, and then a fix with
// at least four satellites counts, as it is what the sonde itself navigates by.
bool VelocityTrusted(const SondeState& state) {
  if (state.speedAccuracySent) return state.speedAccuracy < kMaxUsableSpeedAccuracy;
  return state.numSatellites >= kMinSatellitesWithoutAccuracy;
}

std::string Localised(std::string text, char separator) {
  if (separator != '.') {
    if (auto point = text.find('.'); point != std::string::npos) text[point] = separator;
  }
  return text;
}

// Metres as "0000 m" below the limit, else kilometres as "0.000 km".
std::string FormatDistance(double metres, bool kilometres, char separator) {
  if (kilometres) return Localised(FormatFixed(metres / 1000.0, 3), separator) + " km";
  return FormatZeroPadded(metres, 4, 0) + " m";
}

}  // namespace

void UpdateFlight(SondeState& state, TelemetryLog& log, DecodeContext& ctx) {
  const std::string speedText = FormatSpeed(state.horizontalSpeed, ctx.settings.windSpeedUnit);
  if (state.maxWindSpeed < state.horizontalSpeed && VelocityTrusted(state)) {
    state.maxWindSpeed = state.horizontalSpeed;
    state.maxWindAltitude = state.altitude;
    state.maxWindDirection = state.windDirection;
    ctx.view.SetStatusPanel(1, 4,
                            "Max Wind: " + speedText + " @" + FormatFixed(state.altitude, 1) +
                                "m from " + FormatFixed(state.windDirection, 0) + "°");
  }
  int climb = 1;
  if (state.previousAltitude == -1000) {
    climb = 0;
  } else if (state.previousAltitude > state.altitude) {
    climb = -1;
  }
  if (state.maxAltitude < state.altitude) {
    state.maxAltitude = state.altitude;
    ctx.view.SetStatusPanel(1, 3, "Max Altitude: " + FormatFixed(state.altitude, 1));
  }
  const MapPoint map = Project(state.latitude, state.longitude);
  state.mapX = map.x;
  state.mapY = map.y;
  ctx.hooks.UpdateSonde(speedText, climb, state.altitude, map.x, map.y);
  ctx.view.SetText(ReadOut::TrackPoints, FormatInt(static_cast<long long>(log.Count())));
  state.previousAltitude = state.lastAltitude;
  state.lastAltitude = state.altitude;
}

void ShowHomeGeometry(SondeState& state, DecodeContext& ctx) {
  const char separator = ctx.settings.localeDecimalSeparator;
  const double rangeKm = GroundDistance(ctx.home, state.latitude, state.longitude);
  ctx.view.SetText(ReadOut::Range, FormatDistance(rangeKm * 1000.0, rangeKm > 10.0, separator));
  const auto toMetres = [](std::int32_t cm) {
    return static_cast<std::int32_t>(RoundHalfEven(cm / 100.0));
  };
  const LookAngle look = LookAngles(ctx.home, toMetres(state.ecefXcm), toMetres(state.ecefYcm),
                                    toMetres(state.ecefZcm));
  ctx.view.SetText(ReadOut::Elevation, Localised(FormatFixed(look.elevation, 1), separator) + "°");
  ctx.view.SetText(ReadOut::Bearing, Localised(FormatFixed(look.azimuth, 1), separator) + "°");
  ctx.view.SetText(ReadOut::SlantRange,
                   FormatDistance(look.slantRange, look.slantRange >= 10000.0, separator));
  ctx.hooks.TrackTo(static_cast<int>(RoundHalfEven(look.azimuth)),
                    static_cast<int>(RoundHalfEven(look.elevation)));
}

void AppendPoint(const SondeState& state, TelemetryLog& log, const FrameRecord& record,
                 DecodeContext& ctx) {
  TelemetryPoint point;
  point.latitude = state.latitude;
  point.longitude = state.longitude;
  point.altitude = state.altitude;
  point.mapX = state.mapX;
  point.mapY = state.mapY;
  point.timestamp = state.timestamp;
  point.frame = record;
  log.Append(point);
  ctx.hooks.PlotPoint(point);
}

void SendReports(const SondeState& state, DecodeContext& ctx) {
  const bool usable = state.positionValid && state.numSatellites > 0 && VelocityTrusted(state);
  if (usable && state.calibrationComplete && state.statusValid && state.gpsTimeValid &&
      ctx.hooks.AprsConnected()) {
    ObjectReport report;
    report.sondeId = state.sondeId;
    report.year = state.gpsYear;
    report.month = state.gpsMonth;
    report.day = state.gpsDay;
    report.hour = state.gpsHour;
    report.minute = state.gpsMinute;
    report.second = state.gpsSecond;
    report.latitude = state.latitude;
    report.longitude = state.longitude;
    report.altitude = state.altitude;
    report.windDirection = state.windDirection;
    report.horizontalSpeed = state.horizontalSpeed;
    report.verticalSpeed = state.verticalSpeed;
    report.frequencyKHz = state.frequencyKHz;
    report.pressureSource = state.pressureSource;
    if (state.burstKillEnabled == -1 || state.killTimerHours == 99) {
      report.killState = -1;
      report.killTime = 0;
    } else {
      report.killState = state.burstKillEnabled;
      report.killTime =
          state.countdownActive
              ? state.countdownHours * 10000 + state.countdownMinutes * 100 + state.countdownSeconds
              : state.killTimerHours * 10000 + state.killTimerMinutes * 100 +
                    state.killTimerSeconds;
    }
    if (ctx.instruments != nullptr) report.auxPresent = ctx.instruments->AuxPresent();
    ctx.hooks.QueueObjectReport(report);
  }
  if (usable && state.statusValid) ctx.hooks.WritePositionOut();
}

void ClearLog(SondeState& state, TelemetryLog& log, DecodeContext& ctx) {
  log.Clear();
  state.timestamp.clear();
  state.maxAltitude = -1000;
  state.maxWindSpeed = 0;
  state.maxWindAltitude = 0;
  state.maxWindDirection = 0;
  state.bestIsoAltitude = 0;
  state.bestIsoTemperature = 1000;
  ctx.view.SetStatusPanel(2, 3, "");
}

void NewSonde(SondeState& state, TelemetryLog& log, DecodeContext& ctx) {
  state.rawFileNamed = false;
  state.temperatureCalReady = false;
  state.humidityCalReady = false;
  state.pressureCalReady = false;
  state.statusValid = false;
  state.sondeId.clear();
  state.noDataCounter = 0;
  state.lockCount = 0;
  state.calibration.fill(0);
  state.burstKillEnabled = -1;
  state.killTimerHours = 99;
  state.gpsEpoch = kGpsEpochDays;
  state.poweroffShown = false;

  ctx.view.SetText(ReadOut::ZoomLevel, FormatInt(ctx.settings.defaultZoom, 2));

  ClearLog(state, log, ctx);
  state.launchTimeText.clear();
  state.lastAltitude = -1000;
  state.previousAltitude = -1000;

  for (int k = 0; k < kSubFrameCount; ++k) ctx.view.SetSubFrameLamp(k, kNavy);
  state.fragmentReceived.fill(false);
  state.lastFragment = -1;
  state.calibrationComplete = false;
  for (int k = 0; k < kSatelliteCount; ++k) ctx.view.SetSatellite(k, "", 0);
  ctx.lamps.ResetCounters();

  for (ReadOut readOut : kEmptiedByNewSonde) ctx.view.SetText(readOut, "");
  ctx.view.SetStatusPanel(1, 2, "Estimated Launch Time");

  state.pressureMatrix = {};
  state.pressureSource = -1;
  ctx.view.SetText(ReadOut::PressureCaption, "Pressure ");
  if (ctx.instruments != nullptr) {
    ctx.instruments->ClearFrame();
    ctx.instruments->ClearAuxPresent();
  }
  ctx.hooks.OnNewSonde();
}

void ResetDecoder(SondeState& state, TelemetryLog& log, DecodeContext& ctx) {
  NewSonde(state, log, ctx);
  ctx.view.SetText(ReadOut::RadioStatus, "Not Active");
  ctx.view.SetText(ReadOut::ZoomLevel, "12");
}

void ShowInitialPanels(TelemetryView& view) {
  view.SetStatusPanel(1, 1, "Input source: None");
  view.SetStatusPanel(1, 2, "Estimated Launch Time:");
  view.SetStatusPanel(1, 3, "Max Altitude:");
  view.SetStatusPanel(1, 4, "Max Wind:");
  view.SetStatusPanel(2, 1, "");
  view.SetStatusPanel(2, 2, "Raw File: OFF");
  view.SetStatusPanel(2, 3, "");
  view.SetText(ReadOut::PressureCaption, "Pressure ");
}

}  // namespace windlark
