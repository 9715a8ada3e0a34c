#include "Geodesy.h"

#include <cmath>
#include <numbers>

namespace rs41sim {
namespace {

constexpr double kSemiMajor = 6378137.0;
constexpr double kFlattening = 1.0 / 298.257223563;
constexpr double kEccSq = kFlattening * (2.0 - kFlattening);
constexpr double kDegToRad = std::numbers::pi / 180.0;

double PrimeVerticalRadius(double sinLat) {
  return kSemiMajor / std::sqrt(1.0 - kEccSq * sinLat * sinLat);
}

}  // namespace

Ecef GeodeticToEcef(const Geodetic& point) {
  const double lat = point.latDeg * kDegToRad;
  const double lon = point.lonDeg * kDegToRad;
  const double n = PrimeVerticalRadius(std::sin(lat));
  return {(n + point.altM) * std::cos(lat) * std::cos(lon),
          (n + point.altM) * std::cos(lat) * std::sin(lon),
          (n * (1.0 - kEccSq) + point.altM) * std::sin(lat)};
}

Geodetic EcefToGeodetic(const Ecef& point) {
  const double p = std::hypot(point.x, point.y);
  const double lon = std::atan2(point.y, point.x);
  // Fixed-point iteration on latitude; this form stays well-behaved near the poles too.
  double lat = std::atan2(point.z, p * (1.0 - kEccSq));
  for (int i = 0; i < 8; ++i) {
    const double n = PrimeVerticalRadius(std::sin(lat));
    lat = std::atan2(point.z + kEccSq * n * std::sin(lat), p);
  }
  const double sinLat = std::sin(lat);
  const double alt =
      p * std::cos(lat) + point.z * sinLat - kSemiMajor * std::sqrt(1.0 - kEccSq * sinLat * sinLat);
  return {lat / kDegToRad, lon / kDegToRad, alt};
}

Ecef EnuToEcef(const Geodetic& at, double east, double north, double up) {
  const double lat = at.latDeg * kDegToRad;
  const double lon = at.lonDeg * kDegToRad;
  const double sinLat = std::sin(lat);
  const double cosLat = std::cos(lat);
  const double sinLon = std::sin(lon);
  const double cosLon = std::cos(lon);
  return {-sinLon * east - sinLat * cosLon * north + cosLat * cosLon * up,
          cosLon * east - sinLat * sinLon * north + cosLat * sinLon * up,
          cosLat * north + sinLat * up};
}

}  // namespace rs41sim
