#include "decoder/FlightState.h"

#include "app/Format.h"
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

}  // namespace

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
