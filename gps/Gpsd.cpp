#include "gps/Gpsd.h"

#include <charconv>
#include <cmath>
#include <map>

namespace windlark {

namespace {

// A scanner for the flat objects gpsd sends: top-level strings, numbers and booleans are kept;
// nested arrays and objects are skipped, except that the members "used":true inside them are
// counted (a SKY report's satellites in use).
class FlatJson {
 public:
  explicit FlatJson(std::string_view text) : m_text(text) {}

  bool Parse() {
    SkipBlanks();
    if (!Object(0)) return false;
    SkipBlanks();
    return m_at == m_text.size();
  }

  std::optional<std::string> String(const std::string& key) const {
    const auto found = m_strings.find(key);
    if (found == m_strings.end()) return std::nullopt;
    return found->second;
  }
  std::optional<double> Number(const std::string& key) const {
    const auto found = m_numbers.find(key);
    if (found == m_numbers.end()) return std::nullopt;
    return found->second;
  }
  int UsedCount() const { return m_used; }

 private:
  static constexpr int kMaxDepth = 16;

  void SkipBlanks() {
    while (m_at < m_text.size() && (m_text[m_at] == ' ' || m_text[m_at] == '\t' ||
                                    m_text[m_at] == '\r' || m_text[m_at] == '\n')) {
      ++m_at;
    }
  }
  bool Take(char c) {
    SkipBlanks();
    if (m_at < m_text.size() && m_text[m_at] == c) {
      ++m_at;
      return true;
    }
    return false;
  }
  bool StringValue(std::string& out) {
    if (!Take('"')) return false;
    while (m_at < m_text.size()) {
      const char c = m_text[m_at++];
      if (c == '"') return true;
      if (c == '\\') {
        if (m_at >= m_text.size()) return false;
        const char e = m_text[m_at++];
        if (e == 'u') {
          if (m_at + 4 > m_text.size()) return false;
          m_at += 4;
          out += '?';
        } else {
          out += (e == 'n' ? '\n' : e == 't' ? '\t' : e);
        }
      } else {
        out += c;
      }
    }
    return false;
  }
  bool NumberValue(double& out) {
    SkipBlanks();
    const char* begin = m_text.data() + m_at;
    const char* end = m_text.data() + m_text.size();
    const auto result = std::from_chars(begin, end, out);
    if (result.ec != std::errc() || result.ptr == begin || !std::isfinite(out)) return false;
    m_at += static_cast<std::size_t>(result.ptr - begin);
    return true;
  }
  bool Word(std::string_view word) {
    SkipBlanks();
    if (m_text.substr(m_at, word.size()) != word) return false;
    m_at += word.size();
    return true;
  }
  // One value; at depth 0 it is kept under `key`.
  bool Value(int depth, const std::string& key) {
    SkipBlanks();
    if (m_at >= m_text.size()) return false;
    const char c = m_text[m_at];
    if (c == '{') return Object(depth + 1);
    if (c == '[') return Array(depth + 1);
    if (c == '"') {
      std::string text;
      if (!StringValue(text)) return false;
      if (depth == 0) m_strings[key] = std::move(text);
      return true;
    }
    if (Word("true")) {
      if (depth == 0) m_numbers[key] = 1;
      if (depth > 0 && key == "used") ++m_used;
      return true;
    }
    if (Word("false")) {
      if (depth == 0) m_numbers[key] = 0;
      return true;
    }
    if (Word("null")) return true;
    double number = 0;
    if (!NumberValue(number)) return false;
    if (depth == 0) m_numbers[key] = number;
    return true;
  }
  bool Object(int depth) {
    if (depth > kMaxDepth || !Take('{')) return false;
    if (Take('}')) return true;
    do {
      std::string key;
      SkipBlanks();
      if (!StringValue(key) || !Take(':') || !Value(depth, key)) return false;
    } while (Take(','));
    return Take('}');
  }
  bool Array(int depth) {
    if (depth > kMaxDepth || !Take('[')) return false;
    if (Take(']')) return true;
    do {
      if (!Value(depth, {})) return false;
    } while (Take(','));
    return Take(']');
  }

  std::string_view m_text;
  std::size_t m_at = 0;
  std::map<std::string, std::string> m_strings;
  std::map<std::string, double> m_numbers;
  int m_used = 0;
};

std::optional<int> WholeNumber(const FlatJson& json, const std::string& key) {
  const auto value = json.Number(key);
  if (!value || *value < -1e6 || *value > 1e6) return std::nullopt;
  return static_cast<int>(*value);
}

// "2026-12-10T12:35:19.000Z" gives 123519.
std::optional<int> TimeOfDay(const std::string& time) {
  const auto t = time.find('T');
  if (t == std::string::npos || time.size() < t + 9) return std::nullopt;
  int value = 0;
  for (const std::size_t at : {t + 1, t + 2, t + 4, t + 5, t + 7, t + 8}) {
    const char c = time[at];
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  if (time[t + 3] != ':' || time[t + 6] != ':') return std::nullopt;
  return value;
}

}  // namespace

int GpsdFixQuality(int mode, std::optional<int> status) {
  if (mode < 2) return -1;
  switch (status.value_or(1)) {
    case 2:
      return 2;  // DGPS
    case 3:
      return 4;  // RTK fixed
    case 4:
      return 5;  // RTK float
    case 5:
    case 6:
      return 6;  // dead reckoning
    case 7:
      return 7;  // surveyed-in time position: a fixed, known place
    case 8:
      return 8;  // simulated
    case 9:
      return 3;  // P(Y) code
    default:
      return 1;
  }
}

GpsdReport ParseGpsdLine(std::string_view line) {
  GpsdReport report;
  FlatJson json(line);
  if (!json.Parse()) return report;
  const auto kind = json.String("class");
  if (kind == "SKY") {
    report.kind = GpsdReport::Kind::Sky;
    report.satellitesUsed = WholeNumber(json, "uSat");
    if (!report.satellitesUsed && json.UsedCount() > 0) report.satellitesUsed = json.UsedCount();
    return report;
  }
  if (kind != "TPV") return report;
  report.kind = GpsdReport::Kind::Position;
  GgaFix& fix = report.fix;
  const int mode = WholeNumber(json, "mode").value_or(0);
  if (const auto time = json.String("time")) fix.timeHhmmss = TimeOfDay(*time);
  if (mode >= 2) {
    const auto lat = json.Number("lat");
    const auto lon = json.Number("lon");
    if (lat && std::fabs(*lat) <= 90) {
      fix.latitude = *lat;
      fix.latitudeLetter = *lat < 0 ? 'S' : 'N';
    }
    if (lon && std::fabs(*lon) <= 180) {
      fix.longitude = *lon;
      fix.longitudeLetter = *lon < 0 ? 'W' : 'E';
    }
  }
  // Height above mean sea level, as GGA gives it; "alt" is the name of older gpsd releases.
  if (mode >= 3) fix.altitudeM = json.Number("altMSL") ? json.Number("altMSL") : json.Number("alt");
  fix.fixQuality = fix.latitude ? GpsdFixQuality(mode, WholeNumber(json, "status")) : -1;
  return report;
}

}  // namespace windlark
