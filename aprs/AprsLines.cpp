#include "aprs/AprsLines.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdlib>

#include "base/Format.h"

namespace windlark {

namespace {

constexpr int kSecondsPerDay = 86400;
constexpr int kMinReportGapS = 20;
constexpr int kMaxClockMismatchS = 600;
constexpr std::size_t kObjectNameWidth = 9;

bool IsAsciiAlnum(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
}

// Degrees, minutes and the three further digit groups of one coordinate, worked in whole
// ten-thousandths of a minute so that no binary fraction turns 18 hundredths into 17.99.
CoordinateText Coordinate(double value, int degreeDigits, char positive, char negative) {
  const char hemisphere = value < 0 ? negative : positive;
  const double magnitude = std::fabs(value);
  auto degrees = static_cast<long long>(std::floor(magnitude));
  auto tenThousandths =
      static_cast<long long>(RoundHalfEven((magnitude - static_cast<double>(degrees)) * 600000.0));
  // 59.99995 minutes and more would read 60: carry them into the degrees.
  if (tenThousandths >= 600000) {
    ++degrees;
    tenThousandths -= 600000;
  }
  const long long minutes = tenThousandths / 10000;
  const long long hundredths = (tenThousandths % 10000) / 100;
  const long long rest = tenThousandths % 100;  // the DAO digit's share, 0..99
  CoordinateText out;
  out.text = FormatInt(degrees, degreeDigits) + FormatInt(minutes, 2) + "." +
             FormatInt(hundredths, 2) + hemisphere;
  out.dao =
      static_cast<char>(static_cast<int>(RoundHalfEven(static_cast<double>(rest) / 1.1)) + 33);
  return out;
}

std::string TimeText(int hour, int minute, int second) {
  return FormatInt(hour, 2) + FormatInt(minute, 2) + FormatInt(second, 2) + "h";
}

std::string DaoText(char latitude, char longitude) {
  return std::string("!w") + latitude + longitude + "!";
}

// A fixed-width field of whole units, kept to its width.
std::string Field(double value, int digits) {
  const double limit = std::pow(10.0, digits) - 1;
  return FormatZeroPadded(std::clamp(RoundHalfEven(value), 0.0, limit), digits, 0);
}

// Six digits; a position below sea level reads as 0, since decoders do not take a sign here.
std::string AltitudeField(double feet) {
  return Field(feet, 6);
}

std::string AuxText(const std::array<std::uint8_t, 5>& present) {
  static constexpr std::array<std::string_view, 5> kNames = {"O3", "CFH", "COBALD", "SKYDEW",
                                                             "UNKNOWN"};
  std::string text = " Aux[";
  bool first = true;
  for (std::size_t i = 0; i < kNames.size(); ++i) {
    if (present[i] != 1) continue;
    if (!first) text += ",";
    text += kNames[i];
    first = false;
  }
  return text + "]";
}

std::string BurstKillerText(int state, int timer) {
  if (state == -1) return {};
  if (state == 0) return " BK=Off";
  if (timer == 0) return " BK=On";
  return " BK=Timed(" + FormatInt(timer, 6) + "h)";
}

}  // namespace

std::string SanitiseAirText(std::string_view text, std::size_t maxLength) {
  std::string out;
  for (const char c : text) {
    if (out.size() >= maxLength) break;
    if (IsAsciiAlnum(c) || c == '-') out += c;
  }
  return out;
}

AprsEndpoint AprsEndpointOf(std::string_view server) {
  AprsEndpoint out{std::string(server), static_cast<std::uint16_t>(kAprsPort)};
  const auto colon = server.rfind(':');
  // One colon only: an IPv6 address keeps its colons and the standard port.
  if (colon == std::string_view::npos || server.find(':') != colon) return out;
  const std::string_view digits = server.substr(colon + 1);
  unsigned port = 0;
  const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), port);
  if (ec != std::errc() || end != digits.data() + digits.size() || port == 0 || port > 65535) {
    return out;
  }
  out.host = std::string(server.substr(0, colon));
  out.port = static_cast<std::uint16_t>(port);
  return out;
}

bool IsConnectedState(AprsState state) {
  return state == AprsState::LoggingIn || state == AprsState::Filtering ||
         state == AprsState::Running || state == AprsState::TrackingSetup;
}

bool GreetingAccepted(std::string_view line) {
  return !line.empty() && line.front() == '#' && line.find("aprs") != std::string_view::npos;
}

LoginVerdict JudgeLoginLine(std::string_view line) {
  if (!line.starts_with("# logresp")) return LoginVerdict::Undecided;
  // "unverified" holds "verified": it is looked for first.
  if (line.find("unverified") != std::string_view::npos) return LoginVerdict::Failed;
  if (line.find("verified") != std::string_view::npos) return LoginVerdict::Verified;
  return LoginVerdict::Failed;
}

std::string LoginLine(const AprsLogin& login) {
  const std::string& call = login.sendHomePosition ? login.homeCallsign : login.loginCallsign;
  return " user " + call + " pass " + FormatInt(login.passcode) + " vers Windlark " + login.version;
}

CoordinateText LatitudeText(double latitude) {
  return Coordinate(latitude, 2, 'N', 'S');
}

CoordinateText LongitudeText(double longitude) {
  return Coordinate(longitude, 3, 'E', 'W');
}

std::string ObjectLine(const ObjectReport& report, const AprsLogin& login) {
  const std::string name = SanitiseAirText(report.sondeId, kObjectNameWidth);
  if (name.empty()) return {};
  std::string line = login.sendHomePosition
                         ? login.loginCallsign + ">APRS,qAO," + login.homeCallsign + ":;"
                         : login.loginCallsign + ">APRS,TCPIP*:;";
  line += name + std::string(kObjectNameWidth - name.size(), ' ');
  line += "*" + TimeText(report.hour, report.minute, report.second);
  const CoordinateText lat = LatitudeText(report.latitude);
  const CoordinateText lon = LongitudeText(report.longitude);
  line += lat.text + "/" + lon.text + "O";
  const long long course =
      ((static_cast<long long>(RoundHalfEven(report.windDirection + 180)) % 360) + 360) % 360;
  line += FormatInt(course, 3) + "/" + Field(report.horizontalSpeed * 1.94384, 3);
  line += "/A=" + AltitudeField(report.altitude * 3.28084);
  line += DaoText(lat.dao, lon.dao);
  line += "Clb=" + FormatWidth(report.verticalSpeed, 3, 1) + "m/s";
  line += " " + FormatZeroPadded(report.frequencyKHz / 1000.0, 3, 2) + "MHz";
  if (report.pressureSource == 1) line += " Type=RS41-SG";
  if (report.pressureSource == 2) line += " Type=RS41-SGP";
  line += AuxText(report.auxPresent);
  line += BurstKillerText(report.killState, report.killTime);
  line += " Windlark " + login.version;
  return line;
}

std::string HomeBeaconLine(const AprsLogin& login, int secondsOfDay, double latitude,
                           double longitude) {
  const CoordinateText lat = LatitudeText(latitude);
  const CoordinateText lon = LongitudeText(longitude);
  return login.homeCallsign + ">APRS,TCPIP*:/" +
         TimeText(secondsOfDay / 3600, secondsOfDay / 60 % 60, secondsOfDay % 60) + lat.text + "/" +
         lon.text + "`" + "Windlark Gate" + DaoText(lat.dao, lon.dao);
}

UtcNow SystemUtcNow() {
  using namespace std::chrono;
  const auto now = system_clock::now();
  const auto today = floor<days>(now);
  const year_month_day date{today};
  UtcNow out;
  out.year = static_cast<int>(date.year());
  out.month = static_cast<int>(static_cast<unsigned>(date.month()));
  out.day = static_cast<int>(static_cast<unsigned>(date.day()));
  out.secondsOfDay = static_cast<int>(duration_cast<seconds>(now - today).count());
  return out;
}

bool ReportGate::Pass(const ObjectReport& report, const UtcNow& now) {
  const int t = report.hour * 3600 + report.minute * 60 + report.second;
  const int gap = std::abs(t - m_last);
  const bool due = m_last < 0 || (gap >= kMinReportGapS && gap <= kSecondsPerDay - kMinReportGapS);
  if (!due) return false;
  if (now.year != report.year || now.month != report.month || now.day != report.day) return false;
  if (std::abs(now.secondsOfDay - t) >= kMaxClockMismatchS) return false;
  m_last = t;
  return true;
}

std::string AttemptingConnectionText(std::string_view host) {
  return "APRS: Attempting connection to " + std::string(host);
}

std::string LoginFailText(const AprsLogin& login) {
  return "APRS: Login fail [" + login.serverHost + "," + login.loginCallsign + "," +
         FormatInt(login.passcode) + "]. Reconnect in 5 minutes";
}

std::string AvailableText(int count) {
  if (count <= 0) return {};
  return "Avail " + FormatInt(count, 2);
}

std::string SentReportsText(int count) {
  return "Tx " + FormatInt(count);
}

}  // namespace windlark
