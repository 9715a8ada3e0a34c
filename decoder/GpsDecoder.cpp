#include "decoder/GpsDecoder.h"

#include <cmath>
#include <numbers>

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

void DecodeGpsPosition(const RawFrame& frame, SondeState& state, TelemetryLog& log,
                       FrameRecord& record, DecodeContext& ctx) {
  state.ecefXcm = ReadI32(frame, kPositionPos);
  state.ecefYcm = ReadI32(frame, kPositionPos + 4);
  state.ecefZcm = ReadI32(frame, kPositionPos + 8);
  state.velXcm = ReadI16(frame, kPositionPos + 12);
  state.velYcm = ReadI16(frame, kPositionPos + 14);
  state.velZcm = ReadI16(frame, kPositionPos + 16);
  state.numSatellites = frame[kPositionPos + 18];
  state.speedAccuracy = frame[kPositionPos + 19] / 10.0;
  state.pdop = frame[kPositionPos + 20] / 10.0;
  ctx.view.SetText(ReadOut::SatsUsed, FormatInt(state.numSatellites));
  ctx.view.SetText(ReadOut::SpeedAccuracy, FormatShortest(state.speedAccuracy));
  ctx.view.SetText(ReadOut::Pdop, FormatShortest(state.pdop));

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

void DecodeGpsTime(const RawFrame& frame, SondeState& state, DecodeContext& ctx) {
  state.gpsWeek = static_cast<std::uint16_t>(ReadU16(frame, kGpsWeekPos));
  state.timeOfWeekMs = ReadU32(frame, kTimeOfWeekPos);
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

  const std::string date = FormatInt(state.gpsYear, 4);
  const std::string month = FormatInt(state.gpsMonth, 2);
  const std::string dayText = FormatInt(state.gpsDay, 2);
  const std::string clock = FormatInt(state.gpsHour, 2) + ":" + FormatInt(state.gpsMinute, 2) +
                            ":" + FormatInt(state.gpsSecond, 2);
  ctx.view.SetText(ReadOut::GpsTime, date + "/" + month + "/" + dayText + " T" + clock + "." +
                                         FormatInt(state.gpsMillis, 3));
  state.timestamp = date + "-" + month + "-" + dayText + "T" + clock + "Z";

  ShowPoweroffTime(state, ctx);

  for (std::size_t k = 0; k < state.satellites.size(); ++k) {
    Satellite& sat = state.satellites[k];
    sat.prn = frame[kSatellitePos + 2 * k];
    sat.strength = frame[kSatellitePos + 2 * k + 1];
    const int slot = static_cast<int>(k);
    if (sat.prn == 255) {
      ctx.view.SetSatellite(slot, "", 0);
    } else {
      ctx.view.SetSatellite(slot, FormatInt(sat.prn), sat.strength & 0x7F);
    }
  }
}

}  // namespace windlark
