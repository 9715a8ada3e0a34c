#include "aprs/AprsObject.h"

#include <charconv>
#include <cmath>

#include "base/Format.h"
#include "base/Projection.h"

namespace windlark {

namespace {

constexpr int kSecondsPerDay = 86400;
constexpr double kDaoStepDeg = 1.1 / 600000.0;

// Digits only, optionally one leading sign; the whole field must be the number.
std::optional<int> Integer(std::string_view line, std::size_t at, std::size_t count) {
  if (at >= line.size()) return std::nullopt;
  std::string_view field = line.substr(at, count);
  if (field.empty()) return std::nullopt;
  if (field.front() == '+') field.remove_prefix(1);
  int value = 0;
  const auto [end, ec] = std::from_chars(field.data(), field.data() + field.size(), value);
  if (ec != std::errc() || end != field.data() + field.size()) return std::nullopt;
  return value;
}

std::optional<int> Digits(std::string_view line, std::size_t at, std::size_t count) {
  if (at + count > line.size()) return std::nullopt;
  for (std::size_t i = at; i < at + count; ++i) {
    if (line[i] < '0' || line[i] > '9') return std::nullopt;
  }
  return Integer(line, at, count);
}

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  return text;
}

// Parses the timestamp; false when one of its fields is not digits.
bool ParseTime(std::string_view line, std::size_t q, AprsSonde& s) {
  const char form = line[q + 17];
  if (form != 'z' && form != 'h') return true;
  const std::size_t hourAt = form == 'z' ? q + 13 : q + 11;
  const auto hour = Digits(line, hourAt, 2);
  const auto minute = Digits(line, hourAt + 2, 2);
  const auto second = form == 'h' ? Digits(line, hourAt + 4, 2) : std::optional<int>(0);
  if (!hour || !minute || !second) return false;
  s.hour = *hour;
  s.minute = *minute;
  s.second = *second;
  return true;
}

void ParsePosition(std::string_view line, std::size_t q, AprsSonde& s) {
  const auto latDeg = Integer(line, q + 18, 2);
  if (!latDeg) return;
  const auto latMin = Integer(line, q + 20, 2);
  if (!latMin) return;
  const auto latHund = Integer(line, q + 23, 2);
  if (!latHund) return;
  s.latitude = *latDeg + *latMin / 60.0 + *latHund / 6000.0;
  if (line[q + 25] == 'S') s.latitude = -s.latitude;
  const auto lonDeg = Integer(line, q + 27, 3);
  if (!lonDeg) return;
  const auto lonMin = Integer(line, q + 30, 2);
  if (!lonMin) return;
  const auto lonHund = Integer(line, q + 33, 2);
  if (!lonHund) return;
  s.longitude = *lonDeg + *lonMin / 60.0 + *lonHund / 6000.0;
  if (line[q + 35] == 'W') s.longitude = -s.longitude;
}

// The digits extend the magnitude on the side the hemisphere letter names: 0000.00S is south
// although its number is no less than 0.
void ApplyDao(std::string_view line, std::size_t q, AprsSonde& s) {
  if (q + 44 > line.size()) return;
  for (std::size_t at = line.find("!w", q + 44); at != std::string_view::npos;
       at = line.find("!w", at + 1)) {
    if (at + 4 >= line.size()) return;
    if (line[at + 4] != '!') continue;
    const int c1 = static_cast<unsigned char>(line[at + 2]);
    const int c2 = static_cast<unsigned char>(line[at + 3]);
    // Only base-91 digits make a DAO group.
    if (c1 < 33 || c1 > 123 || c2 < 33 || c2 > 123) return;
    const double dLat = (c1 - 33) * kDaoStepDeg;
    const double dLon = (c2 - 33) * kDaoStepDeg;
    s.latitude += line[q + 25] == 'S' ? -dLat : dLat;
    s.longitude += line[q + 35] == 'W' ? -dLon : dLon;
    return;
  }
}

void ParseClimb(std::string_view line, ParsedObject& out) {
  const auto start = line.find("Clb=");
  if (start == std::string_view::npos) return;
  const auto end = line.find("m/s", start + 4);
  if (end == std::string_view::npos) return;
  std::string_view text = line.substr(start + 4, end - start - 4);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  double value = 0;
  const auto [ptr, ec] =
      std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::fixed);
  if (text.empty() || ec != std::errc() || ptr != text.data() + text.size()) return;
  out.climbMs = value;
  out.climbValid = true;
}

std::string Degrees(double value, char positive, char negative) {
  return FormatFixed(std::fabs(value), 6) + "\u00B0" + (value < 0 ? negative : positive);
}

std::string WithSeparator(std::string text, char separator) {
  if (separator != '.') {
    if (auto point = text.find('.'); point != std::string::npos) text[point] = separator;
  }
  return text;
}

}  // namespace

bool IsSondeObject(std::string_view line) {
  const auto p = line.find(":;");
  if (p == std::string_view::npos) return false;
  const std::size_t q = p + 1;
  return line.size() > q + 38 && line[q + 26] == '/' && line[q + 36] == 'O';
}

std::optional<ParsedObject> ParseObjectLine(std::string_view line) {
  if (!IsSondeObject(line)) return std::nullopt;
  const std::size_t q = line.find(":;") + 1;
  ParsedObject out;
  AprsSonde& s = out.sonde;
  s.name = std::string(Trimmed(line.substr(q + 1, 9)));
  if (!ParseTime(line, q, s)) return std::nullopt;
  out.source = std::string(line.substr(0, line.find('>')));
  out.payload = std::string(line.substr(q + 37));
  s.programTag = line.find("Windlark") != std::string_view::npos;
  if (const auto alt = line.find("/A="); alt != std::string_view::npos) {
    s.altitude = Integer(line, alt + 3, 6).value_or(0) * 0.3048;
  }
  ParseClimb(line, out);
  if (line[q + 18] != '/') {
    ParsePosition(line, q, s);
    if (q + 40 < line.size() && line[q + 40] == '/') {
      const auto course = Integer(line, q + 37, 3);
      const auto knots = Integer(line, q + 41, 3);
      if (course && knots) {
        out.courseDeg = *course;
        out.speedKmh = *knots * 1.852;
        out.courseSpeedValid = true;
      }
    }
    ApplyDao(line, q, s);
    const MapPoint map = Project(s.latitude, s.longitude);
    s.mapX = map.x;
    s.mapY = map.y;
  }
  return out;
}

bool AcceptedAtTime(const AprsSonde& report, int secondsOfDay) {
  const int a = report.hour * 3600 + report.minute * 60 + report.second;
  const int b = ((secondsOfDay + 300) % kSecondsPerDay) - a;
  return !(b >= -85500 && b <= 0);
}

bool NewerThan(const AprsSonde& report, const AprsSonde& entry) {
  const int d = (report.hour * 3600 + report.minute * 60 + report.second) -
                (entry.hour * 3600 + entry.minute * 60 + entry.second);
  return !(d >= -85800 && d <= 0);
}

std::string SlantRangeText(double metres, char localeSeparator) {
  if (metres >= 10000) return WithSeparator(FormatFixed(metres / 1000, 3), localeSeparator) + " km";
  return FormatZeroPadded(metres, 4, 0) + " m";
}

TrackingPanelTexts TrackingTexts(const ParsedObject& report, const HomePosition& home,
                                 char localeSeparator) {
  const AprsSonde& s = report.sonde;
  TrackingPanelTexts t;
  t.sondeId = s.name;
  t.latitude = Degrees(s.latitude, 'N', 'S');
  t.longitude = Degrees(s.longitude, 'E', 'W');
  t.linkLatitude = FormatFixed(s.latitude, 6);
  t.linkLongitude = FormatFixed(s.longitude, 6);
  t.time =
      FormatInt(s.hour, 2) + ":" + FormatInt(s.minute, 2) + ":" + FormatInt(s.second, 2) + " UTC";
  t.source = report.source;
  t.payload = report.payload;
  if (report.climbValid) t.climb = FormatFixed(report.climbMs, 1) + "m/s";
  if (s.altitude > kNoAltitude) {
    t.altitude = FormatFixed(s.altitude, 1) + " m";
    const EcefMetres target = GeodeticToEcef(s.latitude, s.longitude, s.altitude);
    const LookAngle look = LookAngles(home, target.x, target.y, target.z);
    t.bearing = WithSeparator(FormatFixed(look.azimuth, 1), localeSeparator) + "\u00B0";
    t.elevation = WithSeparator(FormatFixed(look.elevation, 1), localeSeparator) + "\u00B0";
    t.slantRange = SlantRangeText(look.slantRange, localeSeparator);
  } else {
    t.altitude = "-.- m";
  }
  if (report.courseSpeedValid) {
    t.course = FormatInt(report.courseDeg, 3) + "\u00B0";
    t.speed = FormatFixed(report.speedKmh, 1) + " km/h";
  }
  return t;
}

std::string WebMapUrl(std::string_view latitudeText, std::string_view longitudeText) {
  return "https://www.google.com/maps/place/" + std::string(latitudeText) + "," +
         std::string(longitudeText);
}

}  // namespace windlark
