#pragma once

#include <string>
#include <vector>

namespace windlark::shots {

struct FlightPoint {
  double latitude = 0;
  double longitude = 0;
  double altitude = 0;
};

// A flight from `latitude`, `longitude`: up at 5 m/s to 28 km, down at 12 m/s, drifting with a
// wind that turns with height, one point a second.
std::vector<FlightPoint> MakeFlight(double latitude, double longitude, int frames,
                                    double windScale = 1.0);
// The flight as a raw file of frames the decoder reads.
bool WriteRawFlight(const std::string& path, const std::vector<FlightPoint>& flight);
// The flight as a KML line, for the ghost track.
bool WriteKml(const std::string& path, const std::vector<FlightPoint>& flight);

}  // namespace windlark::shots
