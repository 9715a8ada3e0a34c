#pragma once

#include <cstdint>

namespace windlark {

struct EcefMetres {
  std::int32_t x = 0;
  std::int32_t y = 0;
  std::int32_t z = 0;
};

// The receiving station. Every writer sets the position, then recomputes ECEF and map coordinates
// through SetHomePosition.
struct HomePosition {
  double latitude = 0;
  double longitude = 0;
  double altitude = 0;
  std::int32_t ecefX = 6378137;
  std::int32_t ecefY = 0;
  std::int32_t ecefZ = 0;
  double mapX = 0.5;
  double mapY = 0.5;
};

void SetHomePosition(HomePosition& home, double latitude, double longitude, double altitude);

struct LookAngle {
  double azimuth = 0;     // degrees, 0..360
  double elevation = 0;   // degrees
  double slantRange = 0;  // metres, whole
};

// WGS-84 geodetic to ECEF, rounded to whole metres (halves to even).
EcefMetres GeodeticToEcef(double latitude, double longitude, double altitude);
// Azimuth, elevation and slant range of a target in ECEF metres, seen from home. A target at
// the home itself looks straight up at range 0; where north is undefined (a home at a pole) the
// azimuth is 0. Never NaN.
LookAngle LookAngles(const HomePosition& home, std::int32_t x, std::int32_t y, std::int32_t z);
// Great-circle distance from home in km (haversine, mean earth radius 6371 km).
double GroundDistance(const HomePosition& home, double latitude, double longitude);

struct Geodetic {
  double latitude = 0;
  double longitude = 0;
  double altitude = 0;
};

// ECEF (metres) to WGS-84 by Bowring's method, one step.
Geodetic EcefToGeodetic(double x, double y, double z);

}  // namespace windlark
