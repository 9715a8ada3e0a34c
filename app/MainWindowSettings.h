#pragma once

#include <string>

namespace windlark {

// What the settings hand to the main window when they are applied: plain values, already read
// and checked by the settings store (ranges clamped, the raw folder checked).
struct MainWindowSettings {
  // Position in the list of capture devices; anything outside it means the system's default.
  int deviceIndex = -1;
  bool audioAutorun = false;
  bool radioAutorun = false;
  double homeLatitude = 44.5386;
  double homeLongitude = 7.6125;
  double homeAltitude = 0;
  int windSpeedUnit = 0;      // 0 m/s, 1 km/h, 2 kts
  int verticalSpeedUnit = 0;  // 0 m/s, 1 km/h, 2 kts
  int defaultZoom = 12;       // 3..19
  bool saveRaw = false;
  std::string rawDir;
  bool aprsEnabled = false;
  bool aprsAutoStart = false;
};

}  // namespace windlark
