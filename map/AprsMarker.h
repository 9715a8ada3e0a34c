#pragma once

#include <string>

namespace windlark {

// A sonde another station reports on APRS-IS, as the map draws it. The APRS client hands the
// window a copy of its list; the map never reads the client's own.
struct MapAprsSonde {
  std::string name;
  double latitude = 0;
  double longitude = 0;
  double altitude = 0;
  double mapX = 0;
  double mapY = 0;
  // 5 after each report, one less per minute without: above 1 fresh, 1 about to go (silver
  // with a blue stroke), 0 or less gone.
  int ageCounter = 5;
  // Last updated from this station's own decoder: drawn green instead of yellow.
  bool ownSonde = false;
  // The report came from this program: a dot marks the centre.
  bool programTag = false;
  // The sonde being tracked.
  bool tracked = false;
};

}  // namespace windlark
