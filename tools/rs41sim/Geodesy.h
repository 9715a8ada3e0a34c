#pragma once

namespace rs41sim {

struct Ecef {
  double x = 0.0;
  double y = 0.0;
  double z = 0.0;
};

struct Geodetic {
  double latDeg = 0.0;
  double lonDeg = 0.0;
  double altM = 0.0;  // above the WGS84 ellipsoid
};

Ecef GeodeticToEcef(const Geodetic& point);
Geodetic EcefToGeodetic(const Ecef& point);

// Rotates a local east/north/up vector at `at` into ECEF axes.
Ecef EnuToEcef(const Geodetic& at, double east, double north, double up);

}  // namespace rs41sim
