#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/TelemetryView.h"

namespace windlark {

inline constexpr Rgb kLime{0, 255, 0};

// The error box of a port that does not open: code -1 .. -5 names the failing step.
std::string GpsOpenErrorText(int code, std::string_view portName);

// Cuts a byte stream into lines ended by CR LF. Text that never ends a line (a wrong baud
// rate, a receiver ending lines with LF alone) may not grow the buffer without limit: past
// kMaxPending bytes the buffer keeps only what follows its last "$" (a sentence that may still
// be arriving) and drops the rest.
class NmeaLineSplitter {
 public:
  static constexpr std::size_t kMaxPending = 4096;

  // Appends `bytes` and returns the lines completed, without their CR LF.
  std::vector<std::string> Push(std::string_view bytes);
  std::size_t Pending() const { return m_buffer.size(); }
  // Bytes dropped by the bound since the start.
  std::size_t Dropped() const { return m_dropped; }

 private:
  std::string m_buffer;
  std::size_t m_dropped = 0;
};

// One GGA sentence as read; each value has its own valid flag (an empty optional).
struct GgaFix {
  std::optional<int> timeHhmmss;
  std::optional<double> latitude;  // south negative
  char latitudeLetter = 'N';
  std::optional<double> longitude;  // west negative
  char longitudeLetter = 'E';
  int fixQuality = -1;  // -1 no fix
  std::optional<int> satellites;
  std::optional<double> altitudeM;

  // A fix good enough to move the home position.
  bool Usable() const { return latitude && longitude && fixQuality > 0; }
};

// The GGA sentence of the GPS, GNSS or GLONASS talker; nothing for any other line.
std::optional<GgaFix> ParseGga(std::string_view line);

// The name of a fix quality, as the "Fix" label shows it.
std::string_view FixName(int fixQuality);

// What the "GPS IN" window's value labels show for one fix. An empty optional leaves the
// label's last text; an empty string empties it.
struct GpsInTexts {
  std::string time;
  std::optional<std::string> latitude;
  std::optional<std::string> longitude;
  std::optional<std::string> altitude;
  std::string fix;
  std::string satellites;
};

GpsInTexts GpsInTextsOf(const GgaFix& fix);

// The lamp's colour for a fix quality while lit: yellow without a fix, lime with one.
Rgb LitLampColour(int fixQuality);

// The lamp of the "GPS IN" window: lit by each GGA sentence, navy two reader passes after the
// last one.
class GpsLampCountdown {
 public:
  // A GGA sentence arrived: the colour to show now.
  Rgb Sentence(int fixQuality);
  // One reader pass: the colour to show, or nothing when the lamp stays as it is.
  std::optional<Rgb> Pass();

 private:
  int m_countdown = 0;
  int m_fixQuality = -1;
};

}  // namespace windlark
