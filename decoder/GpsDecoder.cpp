#include "decoder/GpsDecoder.h"

#include "app/Format.h"
#include "decoder/StatusDecoder.h"

namespace windlark {

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
