#include "gps/Nmea.h"

#include <array>
#include <charconv>
#include <cmath>

#include "base/Format.h"

namespace windlark {

namespace {

// The whole text as a finite real; "nan" and "inf" are no numbers here.
std::optional<double> ParseReal(std::string_view text) {
  double value = 0;
  const auto* end = text.data() + text.size();
  const auto result = std::from_chars(text.data(), end, value);
  if (text.empty() || result.ec != std::errc() || result.ptr != end || !std::isfinite(value)) {
    return std::nullopt;
  }
  return value;
}

std::optional<int> ParseInt(std::string_view text) {
  int value = 0;
  const auto* end = text.data() + text.size();
  const auto result = std::from_chars(text.data(), end, value);
  if (text.empty() || result.ec != std::errc() || result.ptr != end) return std::nullopt;
  return value;
}

// "ddmm.mmm" (latitude, 2 degree digits) or "dddmm.mmm" (longitude, 3). Degrees and minutes
// outside their ranges are garbled text, not a place on earth.
std::optional<double> ParseAngle(std::string_view text, std::size_t degreeDigits, int maxDegrees) {
  if (text.size() < 4) return std::nullopt;
  const auto degrees = ParseInt(text.substr(0, degreeDigits));
  const auto minutes = ParseReal(text.substr(degreeDigits));
  if (!degrees || !minutes || *degrees < 0 || *minutes < 0 || *minutes >= 60) return std::nullopt;
  const double value = *degrees + *minutes / 60.0;
  if (value > maxDegrees) return std::nullopt;
  return value;
}

std::vector<std::string_view> SplitFields(std::string_view line) {
  std::vector<std::string_view> fields;
  std::size_t start = 0;
  for (;;) {
    const auto comma = line.find(',', start);
    if (comma == std::string_view::npos) {
      fields.push_back(line.substr(start));
      return fields;
    }
    fields.push_back(line.substr(start, comma - start));
    start = comma + 1;
  }
}

}  // namespace

std::string GpsOpenErrorText(int code, std::string_view portName) {
  std::string detail;
  switch (code) {
    case -1:
      detail = "Unable to open <" + std::string(portName) + "> port";
      break;
    case -2:
      detail = "Unable to set buffer size";
      break;
    case -3:
      detail = "Unable to read DCB";
      break;
    case -4:
      detail = "Unable to set serial parameters";
      break;
    case -5:
      detail = "Unable to set timeouts";
      break;
    default:
      detail = "Unknown error";
      break;
  }
  return "GPS communication ERROR\r" + detail;
}

std::vector<std::string> NmeaLineSplitter::Push(std::string_view bytes) {
  m_buffer.append(bytes);
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (;;) {
    const auto end = m_buffer.find("\r\n", start);
    if (end == std::string::npos) break;
    lines.emplace_back(m_buffer, start, end - start);
    start = end + 2;
  }
  m_buffer.erase(0, start);
  if (m_buffer.size() > kMaxPending) {
    const auto dollar = m_buffer.rfind('$');
    // A CR at the very end may be the first half of a line end: keep it as well.
    std::size_t keep = dollar == std::string::npos ? m_buffer.size() : dollar;
    if (keep == m_buffer.size() && m_buffer.back() == '\r') keep = m_buffer.size() - 1;
    m_dropped += keep;
    m_buffer.erase(0, keep);
  }
  return lines;
}

std::optional<GgaFix> ParseGga(std::string_view line) {
  constexpr std::array<std::string_view, 3> kTalkers = {"$GPGGA", "$GNGGA", "$GLGGA"};
  bool gga = false;
  for (const auto talker : kTalkers) gga = gga || line.starts_with(talker);
  if (!gga) return std::nullopt;

  GgaFix fix;
  const auto fields = SplitFields(line);
  auto field = [&](std::size_t k) { return k < fields.size() ? fields[k] : std::string_view(); };
  if (field(1).empty()) return fix;

  if (const auto time = ParseReal(field(1)); time && *time >= 0 && *time < 1e9) {
    fix.timeHhmmss = static_cast<int>(RoundHalfEven(*time));
  }
  if (auto latitude = ParseAngle(field(2), 2, 90)) {
    fix.latitudeLetter = field(3) == "S" ? 'S' : 'N';
    fix.latitude = fix.latitudeLetter == 'S' ? -*latitude : *latitude;
  }
  if (auto longitude = ParseAngle(field(4), 3, 180)) {
    fix.longitudeLetter = field(5) == "W" ? 'W' : 'E';
    fix.longitude = fix.longitudeLetter == 'W' ? -*longitude : *longitude;
  }
  const auto quality = ParseInt(field(6));
  fix.satellites = ParseInt(field(7));
  fix.altitudeM = ParseReal(field(9));
  // Without a latitude there is no fix, whatever the quality field says.
  fix.fixQuality = (fix.latitude && quality) ? *quality : -1;
  return fix;
}

std::string_view FixName(int fixQuality) {
  constexpr std::array<std::string_view, 10> kNames = {
      "No Fix",    "Invalid",        "GPS",    "DGPS",      "PPS", "RT Kinematic",
      "float RTK", "dead reckoning", "Manual", "Simulation"};
  if (fixQuality < -1 || fixQuality > 8) return "Other";
  const int index = fixQuality + 1;  // -1 (no fix) is the first name
  return kNames[static_cast<std::size_t>(index)];
}

GpsInTexts GpsInTextsOf(const GgaFix& fix) {
  GpsInTexts texts;
  if (fix.timeHhmmss) {
    const int value = *fix.timeHhmmss;
    texts.time = FormatInt(value / 10000 % 100, 2) + ":" + FormatInt(value % 10000 / 100, 2) + ":" +
                 FormatInt(value % 100, 2);
  }
  if (fix.latitude) {
    texts.latitude = FormatFixed(std::fabs(*fix.latitude), 6) + fix.latitudeLetter;
  }
  if (fix.longitude) {
    texts.longitude = FormatFixed(std::fabs(*fix.longitude), 6) + fix.longitudeLetter;
  }
  if (fix.altitudeM) texts.altitude = FormatFixed(*fix.altitudeM, 1) + "m";
  if (fix.satellites) texts.satellites = FormatInt(*fix.satellites);
  texts.fix = std::string(FixName(fix.fixQuality));
  return texts;
}

Rgb LitLampColour(int fixQuality) {
  return fixQuality == -1 ? kYellow : kLime;
}

Rgb GpsLampCountdown::Sentence(int fixQuality) {
  m_countdown = 3;
  m_fixQuality = fixQuality;
  return LitLampColour(fixQuality);
}

std::optional<Rgb> GpsLampCountdown::Pass() {
  if (m_countdown <= 0) return std::nullopt;
  const int before = m_countdown--;
  if (before != 3 && before != 1) return std::nullopt;
  return m_countdown == 0 ? kNavy : LitLampColour(m_fixQuality);
}

}  // namespace windlark
