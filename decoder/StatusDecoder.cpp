#include "decoder/StatusDecoder.h"

#include "base/Format.h"
#include "decoder/FlightState.h"
#include "decoder/Ptu.h"

namespace windlark {

namespace {

// Calibration offsets of the values the program shows.
constexpr std::size_t kCalFrequency = 2;
constexpr std::size_t kCalFirmware = 21;
constexpr std::size_t kCalBurstKill = 43;
constexpr std::size_t kCalSondeType = 536;
constexpr std::size_t kCalSondeTypeLength = 10;  // fragment 33 bytes 8..15, fragment 34 bytes 0..1
constexpr std::size_t kCalKillTimer = 790;
constexpr std::size_t kCalCountdown = 800;
constexpr unsigned kCountdownNone = 0xFFFF;
constexpr int kLastFragment = kFragmentCount - 1;

struct Hms {
  std::uint8_t hours;
  std::uint8_t minutes;
  std::uint8_t seconds;
};

Hms SplitSeconds(unsigned s) {
  return {static_cast<std::uint8_t>(s / 3600), static_cast<std::uint8_t>(s % 3600 / 60),
          static_cast<std::uint8_t>(s % 60)};
}

bool Received(const SondeState& state, std::initializer_list<int> fragments) {
  for (int k : fragments) {
    if (!state.fragmentReceived[static_cast<std::size_t>(k)]) return false;
  }
  return true;
}

// The nonzero bytes of the type field in order.
std::string SondeTypeText(const std::array<std::uint8_t, kCalibrationSize>& cal) {
  std::string type;
  for (std::size_t k = 0; k < kCalSondeTypeLength; ++k) {
    if (cal[kCalSondeType + k] != 0) type += static_cast<char>(cal[kCalSondeType + k]);
  }
  return type;
}

void ShowSondeType(SondeState& state, DecodeContext& ctx) {
  const std::string type = SondeTypeText(state.calibration);
  state.sondeType = type;
  ctx.view.SetText(ReadOut::Type, type);
  if (type == "RS41-SG") {
    state.pressureSource = 1;
    ctx.view.SetText(ReadOut::PressureCaption, "Pressure GPS ");
  } else if (type == "RS41-SGP" || type == "RS41-SGPE") {
    // The SGPE, a newer build of the SGP, carries the pressure sensor as well.
    state.pressureSource = 2;
    ctx.view.SetText(ReadOut::PressureCaption, "Pressure PTU ");
  }
}

void DeriveFromFragment(int x, SondeState& state, DecodeContext& ctx) {
  const auto& cal = state.calibration;
  switch (x) {
    case 0: {
      const double khz = RoundHalfEven(ReadU16(cal, kCalFrequency) * 20.0 / 128.0);
      state.frequencyKHz = static_cast<std::int32_t>(khz) + 400000;
      ctx.view.SetText(ReadOut::Frequency,
                       FormatZeroPadded(state.frequencyKHz / 1000.0, 3, 3) + " MHz");
      break;
    }
    case 1:
      state.firmwareVersion = static_cast<std::uint16_t>(ReadU16(cal, kCalFirmware));
      ctx.view.SetText(ReadOut::Firmware, FormatInt(state.firmwareVersion));
      break;
    case 2:
      state.burstKillEnabled = cal[kCalBurstKill];
      ctx.view.SetText(ReadOut::BurstStatus, state.burstKillEnabled == 0 ? "Disabled" : "Enabled");
      break;
    case 5:
    case 6:
      if (Received(state, {5, 6}) && !state.temperatureCalReady) {
        ComputeTemperatureCoefficients(state);
      }
      break;
    case 7:
    case 19:
      if (Received(state, {7, 19}) && !state.humidityCalReady) {
        ComputeHumidityCoefficients(state);
      }
      break;
    case 33:
      ShowSondeType(state, ctx);
      break;
    case 34:
      // The type text's last two bytes ("RS41-SGPE" has nine characters) come with this
      // fragment; a type already shown is read again only when they change it.
      if (state.fragmentReceived[33] && SondeTypeText(cal) != state.sondeType) {
        ShowSondeType(state, ctx);
      }
      break;
    case 37:
    case 38:
    case 39:
    case 40:
    case 41:
    case 42:
      if (Received(state, {37, 38, 39, 40, 41, 42}) && !state.pressureCalReady) {
        LoadPressureCoefficients(state);
      }
      break;
    case 49: {
      const Hms t = SplitSeconds(ReadU16(cal, kCalKillTimer));
      state.killTimerHours = t.hours;
      state.killTimerMinutes = t.minutes;
      state.killTimerSeconds = t.seconds;
      ctx.view.SetText(ReadOut::TimerDuration, FormatHms(t.hours, t.minutes, t.seconds));
      break;
    }
    default:
      break;
  }
}

void ShowCountdown(SondeState& state, DecodeContext& ctx) {
  const unsigned value = ReadU16(state.calibration, kCalCountdown);
  if (value == kCountdownNone) {
    state.countdownActive = false;
    ctx.view.SetText(ReadOut::Countdown, "Not Active");
    return;
  }
  const Hms t = SplitSeconds(value);
  state.countdownActive = true;
  state.countdownHours = t.hours;
  state.countdownMinutes = t.minutes;
  state.countdownSeconds = t.seconds;
  ctx.view.SetText(ReadOut::Countdown, FormatHms(t.hours, t.minutes, t.seconds));
}

}  // namespace

std::string FormatHms(int hours, int minutes, int seconds) {
  return FormatInt(hours, 2) + ":" + FormatInt(minutes, 2) + ":" + FormatInt(seconds, 2);
}

void AcceptFragment(const RawFrame& frame, std::size_t at, SondeState& state, DecodeContext& ctx) {
  const int x = frame[at + kFragmentIndexOffset];
  if (x > kLastFragment) return;
  const auto index = static_cast<std::size_t>(x);
  for (std::size_t k = 0; k < kFragmentBytes; ++k) {
    state.calibration[index * kFragmentBytes + k] = frame[at + kFragmentOffset + k];
  }
  if (state.lastFragment >= 0 && state.lastFragment <= kLastFragment) {
    ctx.view.SetSubFrameLamp(state.lastFragment, kAqua);
  }
  ctx.view.SetSubFrameLamp(x, kYellow);
  state.lastFragment = x;
  if (!state.fragmentReceived[index]) {
    state.fragmentReceived[index] = true;
    DeriveFromFragment(x, state, ctx);
  }
  if (x == kLastFragment) ShowCountdown(state, ctx);
}

void DecodeStatus(const RawFrame& frame, std::size_t at, SondeState& state, TelemetryLog& log,
                  DecodeContext& ctx) {
  state.frameNumber = static_cast<std::uint16_t>(ReadU16(frame, at + kFrameNumberOffset));
  ctx.view.SetText(ReadOut::FrameNumber, FormatInt(state.frameNumber));

  std::string id;
  for (std::size_t k = 0; k < kSondeIdLength; ++k)
    id += static_cast<char>(frame[at + kSondeIdOffset + k]);
  if (id != state.sondeId) {
    NewSonde(state, log, ctx);
    // The reset empties the frame number and this frame's status flag, but this frame's status
    // block did pass: keep both, so the first frame of a sonde is shown and recorded.
    state.statusValid = true;
    ctx.view.SetText(ReadOut::FrameNumber, FormatInt(state.frameNumber));
    state.sondeId = id;
    ctx.view.SetText(ReadOut::SondeId, id);
    ctx.view.LogEvent("Receiving Sonde Id = " + id + " from " + ctx.inputSource);
  }

  state.batteryVoltage = frame[at + kBatteryOffset] * 0.1;
  ctx.view.SetText(
      ReadOut::Battery,
      FormatSignificant(state.batteryVoltage, 15, ctx.settings.localeDecimalSeparator) + " V");

  state.fragmentIndex = frame[at + kFragmentIndexOffset];
  AcceptFragment(frame, at, state, ctx);

  state.calibrationComplete = true;
  for (bool received : state.fragmentReceived) {
    if (!received) state.calibrationComplete = false;
  }
}

void ShowPoweroffTime(SondeState& state, DecodeContext& ctx) {
  if (!state.countdownActive || state.poweroffShown || !state.statusValid ||
      state.fragmentIndex != kLastFragment) {
    return;
  }
  int s = state.countdownSeconds + state.gpsSecond;
  int m = s / 60 + state.countdownMinutes + state.gpsMinute;
  int h = m / 60 + state.countdownHours + state.gpsHour;
  ctx.view.SetText(ReadOut::PoweroffTime, FormatHms(h % 24, m % 60, s % 60) + " UTC");
  state.poweroffShown = true;
}

}  // namespace windlark
