#include "decoder/GpsDecoder.h"

#include <cmath>
#include <numbers>
#include <vector>

#include "base/Format.h"
#include "decoder/FlightState.h"
#include "decoder/Geodesy.h"
#include "decoder/Ptu.h"
#include "decoder/StatusDecoder.h"

namespace windlark {

namespace {

constexpr double kRadToDeg = 180.0 / std::numbers::pi;
constexpr double kKmhPerMs = 3.6;
constexpr double kKtsPerMs = 1.943844492441;

std::int32_t ReadI32(const RawFrame& frame, std::size_t at) {
  return static_cast<std::int32_t>(ReadU32(frame, at));
}

std::int16_t ReadI16(const RawFrame& frame, std::size_t at) {
  return static_cast<std::int16_t>(ReadU16(frame, at));
}

std::string FormatVerticalSpeed(double up, SpeedUnit unit) {
  switch (unit) {
    case SpeedUnit::KilometresPerHour:
      return FormatFixed(up * kKmhPerMs, 1) + " km/h";
    case SpeedUnit::Knots:
      return FormatFixed(up * kKtsPerMs, 1) + " kts";
    default:
      return FormatFixed(up, 1) + " m/s";
  }
}

std::string Hemisphere(double value, const char* positive, const char* negative) {
  return FormatFixed(std::fabs(value), 6) + (value >= 0 ? positive : negative);
}

}  // namespace

std::string FormatSpeed(double metresPerSecond, SpeedUnit unit) {
  switch (unit) {
    case SpeedUnit::MetresPerSecond:
      return FormatFixed(metresPerSecond, 1) + " m/s";
    case SpeedUnit::KilometresPerHour:
      return FormatFixed(metresPerSecond * kKmhPerMs, 1) + " km/h";
    case SpeedUnit::Knots:
      return FormatFixed(metresPerSecond * kKtsPerMs, 1) + " kts";
    default:
      return {};
  }
}

namespace {

struct EcefFix {
  std::int32_t x = 0;
  std::int32_t y = 0;
  std::int32_t z = 0;
  std::int16_t vx = 0;
  std::int16_t vy = 0;
  std::int16_t vz = 0;
};

EcefFix ReadEcef(const RawFrame& frame, std::size_t at) {
  return {ReadI32(frame, at),      ReadI32(frame, at + 4),  ReadI32(frame, at + 8),
          ReadI16(frame, at + 12), ReadI16(frame, at + 14), ReadI16(frame, at + 16)};
}

// Everything after the block's own read-outs: geodetic position, and with satellites the
// position and velocity read-outs, the flight state, the home geometry and the record.
void ApplyPosition(const EcefFix& fix, SondeState& state, TelemetryLog& log, FrameRecord& record,
                   DecodeContext& ctx) {
  state.ecefXcm = fix.x;
  state.ecefYcm = fix.y;
  state.ecefZcm = fix.z;
  state.velXcm = fix.vx;
  state.velYcm = fix.vy;
  state.velZcm = fix.vz;
  const Geodetic g =
      EcefToGeodetic(state.ecefXcm / 100.0, state.ecefYcm / 100.0, state.ecefZcm / 100.0);
  state.latitude = g.latitude;
  state.longitude = g.longitude;
  state.altitude = g.altitude;
  if (state.numSatellites == 0) return;

  ctx.view.SetText(ReadOut::Latitude, Hemisphere(state.latitude, " °N", " °S"));
  ctx.view.SetText(ReadOut::Longitude, Hemisphere(state.longitude, " °E", " °W"));
  ctx.view.SetText(ReadOut::Altitude, FormatFixed(state.altitude, 1) + " m");
  if (state.pressureSource == 1) {
    state.pressure = PressureFromAltitude(state.altitude);
    state.pressureDecoded = true;
    ctx.view.SetText(ReadOut::Pressure, FormatFixed(state.pressure, 1) + " hPa");
  }

  const double phi = state.latitude / kRadToDeg;
  const double lambda = state.longitude / kRadToDeg;
  const double vx = state.velXcm / 100.0;
  const double vy = state.velYcm / 100.0;
  const double vz = state.velZcm / 100.0;
  const double north = -vx * std::sin(phi) * std::cos(lambda) -
                       vy * std::sin(phi) * std::sin(lambda) + vz * std::cos(phi);
  const double east = -vx * std::sin(lambda) + vy * std::cos(lambda);
  const double up = vx * std::cos(phi) * std::cos(lambda) + vy * std::cos(phi) * std::sin(lambda) +
                    vz * std::sin(phi);
  state.verticalSpeed = up;
  ctx.view.SetText(ReadOut::VerticalSpeed, FormatVerticalSpeed(up, ctx.settings.verticalSpeedUnit));

  state.horizontalSpeed = std::sqrt(north * north + east * east);
  double heading = std::atan2(east, north) * kRadToDeg;
  if (heading < 0) heading += 360.0;
  state.heading = heading;
  state.windDirection = std::fmod(RoundHalfEven(heading + 180.0), 360.0);
  ctx.view.SetText(ReadOut::WindSpeed,
                   FormatSpeed(state.horizontalSpeed, ctx.settings.windSpeedUnit));
  ctx.view.SetText(ReadOut::Direction, FormatFixed(state.windDirection, 0) + " °");

  UpdateFlight(state, log, ctx);
  ShowHomeGeometry(state, ctx);
  record.horizontalSpeed = state.horizontalSpeed;
  record.verticalSpeed = up;
  record.windDirection = state.windDirection;
  record.numSatellites = state.numSatellites;
  record.positionValid = 1;
}

// "Gps Time (UTC)", the log's time stamp and the burst killer's power-off time from the
// calendar fields already stored.
void ShowTime(SondeState& state, DecodeContext& ctx) {
  const std::string date = FormatInt(state.gpsYear, 4);
  const std::string month = FormatInt(state.gpsMonth, 2);
  const std::string dayText = FormatInt(state.gpsDay, 2);
  const std::string clock = FormatInt(state.gpsHour, 2) + ":" + FormatInt(state.gpsMinute, 2) +
                            ":" + FormatInt(state.gpsSecond, 2);
  ctx.view.SetText(ReadOut::GpsTime, date + "/" + month + "/" + dayText + " T" + clock + "." +
                                         FormatInt(state.gpsMillis, 3));
  state.timestamp = date + "-" + month + "-" + dayText + "T" + clock + "Z";

  ShowPoweroffTime(state, ctx);
}

constexpr int kGpsSlots = 32;
constexpr int kGalileoSlots = 36;
constexpr unsigned kMaxHundredths = 100;

}  // namespace

void DecodeGpsPosition(const RawFrame& frame, std::size_t at, SondeState& state, TelemetryLog& log,
                       FrameRecord& record, DecodeContext& ctx) {
  state.numSatellites = frame[at + kNumSatellitesOffset];
  state.speedAccuracy = frame[at + kSpeedAccuracyOffset] / 10.0;
  state.pdop = frame[at + kPdopOffset] / 10.0;
  state.speedAccuracySent = true;
  ctx.view.SetText(ReadOut::SatsUsed, FormatInt(state.numSatellites));
  ctx.view.SetText(ReadOut::SpeedAccuracy, FormatShortest(state.speedAccuracy));
  ctx.view.SetText(ReadOut::Pdop, FormatShortest(state.pdop));
  ApplyPosition(ReadEcef(frame, at), state, log, record, ctx);
}

void DecodeGnssPosition(const RawFrame& frame, std::size_t at, SondeState& state, TelemetryLog& log,
                        FrameRecord& record, DecodeContext& ctx) {
  const EcefFix fix = ReadEcef(frame, at);
  if (fix.x == 0 && fix.y == 0 && fix.z == 0) state.numSatellites = 0;
  state.speedAccuracy = 0;
  state.pdop = 0;
  state.speedAccuracySent = false;
  ctx.view.SetText(ReadOut::SatsUsed, FormatInt(state.numSatellites));
  ctx.view.SetText(ReadOut::SpeedAccuracy, kNotSent);
  ctx.view.SetText(ReadOut::Pdop, kNotSent);
  ApplyPosition(fix, state, log, record, ctx);
}

// Howard Hinnant's civil-calendar algorithms (public domain), proleptic Gregorian.
std::int32_t DaysFromCivil(std::int32_t year, std::int32_t month, std::int32_t day) {
  year -= month <= 2 ? 1 : 0;
  const std::int32_t era = (year >= 0 ? year : year - 399) / 400;
  const std::int32_t yoe = year - era * 400;
  const std::int32_t doy = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const std::int32_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

void CivilFromDays(std::int32_t days, std::int32_t& year, std::int32_t& month, std::int32_t& day) {
  days += 719468;
  const std::int32_t era = (days >= 0 ? days : days - 146096) / 146097;
  const std::int32_t doe = days - era * 146097;
  const std::int32_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const std::int32_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const std::int32_t mp = (5 * doy + 2) / 153;
  day = doy - (153 * mp + 2) / 5 + 1;
  month = mp < 10 ? mp + 3 : mp - 9;
  year = yoe + era * 400 + (month <= 2 ? 1 : 0);
}

void DecodeGpsTime(const RawFrame& frame, std::size_t at, SondeState& state, DecodeContext& ctx) {
  state.gpsWeek = static_cast<std::uint16_t>(ReadU16(frame, at + kGpsWeekOffset));
  state.timeOfWeekMs = ReadU32(frame, at + kTimeOfWeekOffset);
  state.gpsMillis = static_cast<std::uint16_t>(state.timeOfWeekMs % 1000);
  const std::uint32_t s = state.timeOfWeekMs / 1000;
  const std::uint32_t day = s / 86400;
  const std::uint32_t rest = s - day * 86400;
  state.gpsDayOfWeek = static_cast<std::uint8_t>(day);
  state.gpsHour = static_cast<std::uint8_t>(rest / 3600);
  state.gpsMinute = static_cast<std::uint8_t>(rest % 3600 / 60);
  state.gpsSecond = static_cast<std::uint8_t>(rest % 60);
  CivilFromDays(state.gpsEpoch + state.gpsWeek * 7 + static_cast<std::int32_t>(day), state.gpsYear,
                state.gpsMonth, state.gpsDay);
  state.timeReference = TimeReference::Gps;
  ShowTime(state, ctx);

  for (std::size_t k = 0; k < state.satellites.size(); ++k) {
    Satellite& sat = state.satellites[k];
    sat.prn = frame[at + kSatelliteOffset + 2 * k];
    sat.strength = frame[at + kSatelliteOffset + 2 * k + 1];
    const int slot = static_cast<int>(k);
    if (sat.prn == 255) {
      ctx.view.SetSatellite(slot, "", 0);
    } else {
      ctx.view.SetSatellite(slot, FormatInt(sat.prn), sat.strength & 0x7F);
    }
  }
}

void DecodeGnssTime(const RawFrame& frame, std::size_t at, SondeState& state, DecodeContext& ctx) {
  const std::size_t t = at + kUtcYearOffset;
  state.gpsYear = static_cast<std::int32_t>(ReadU16(frame, t));
  state.gpsMonth = frame[t + 2];
  state.gpsDay = frame[t + 3];
  state.gpsHour = frame[t + 4];
  state.gpsMinute = frame[t + 5];
  state.gpsSecond = frame[t + 6];
  // Hundredths of 100 and more have been seen as fill; they count as none.
  const unsigned hundredths = frame[t + 7];
  state.gpsMillis = static_cast<std::uint16_t>(hundredths < kMaxHundredths ? hundredths * 10 : 0);
  state.timeReference = TimeReference::Utc;
  ShowTime(state, ctx);
}

std::string SlotLabel(int slot) {
  if (slot >= 1 && slot <= kGpsSlots) return "G" + FormatInt(slot);
  if (slot > kGpsSlots && slot <= kGpsSlots + kGalileoSlots)
    return "E" + FormatInt(slot - kGpsSlots);
  return FormatInt(slot);
}

void DecodeGnssSatellites(const RawFrame& frame, std::size_t at, SondeState& state,
                          DecodeContext& ctx) {
  const auto status = [&](std::size_t k) {
    const unsigned pair = frame[at + kSlotStatusOffset + k / 2];
    return k % 2 == 0 ? pair & 0x0FU : pair >> 4U;
  };
  int count = 0;
  for (std::size_t k = 0; k < 2 * kSlotStatusBytes; ++k) {
    if (status(k) != 0) ++count;
  }
  state.numSatellites = static_cast<std::uint8_t>(count);

  // The k-th set bit of the bitmap owns the k-th status nibble; a zero nibble is no entry.
  std::vector<int> shown;
  std::size_t k = 0;
  for (std::size_t byte = 0; byte < kSlotBitmapBytes; ++byte) {
    const unsigned bits = frame[at + kSlotBitmapOffset + byte];
    for (unsigned bit = 0; bit < 8 && k < 2 * kSlotStatusBytes; ++bit) {
      if ((bits >> bit & 1U) == 0) continue;
      if (status(k++) != 0 && shown.size() < state.satellites.size()) {
        shown.push_back(static_cast<int>(byte * 8 + bit + 1));
      }
    }
  }
  for (std::size_t slot = 0; slot < state.satellites.size(); ++slot) {
    Satellite& sat = state.satellites[slot];
    if (slot < shown.size()) {
      sat = {static_cast<std::uint8_t>(shown[slot]), 0};
      ctx.view.SetSatellite(static_cast<int>(slot), SlotLabel(shown[slot]), 0);
    } else {
      sat = {};
      ctx.view.SetSatellite(static_cast<int>(slot), "", 0);
    }
  }
}

}  // namespace windlark
