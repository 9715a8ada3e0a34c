#include "decoder/Geodesy.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>

#include "base/Format.h"
#include "base/Projection.h"

namespace windlark {

namespace {

constexpr double kPi = std::numbers::pi;
constexpr double kDegToRad = kPi / 180.0;
constexpr double kA = 6378137.0;
constexpr double kEccentricity = 0.081819190842622;
constexpr double kEarthRadiusKm = 6371.0;

// Bowring constants of the GPS position step.
constexpr double kB = 6356752.31424518;
constexpr double kE2a = 42697.6727071790;
constexpr double kEp2b = 42841.3115133126;
constexpr double kE2 = 0.00669437999014116;

// Saturates: a double outside the int32 range converted as it is would be undefined behaviour.
std::int32_t RoundToInt(double value) {
  const double rounded = RoundHalfEven(value);
  if (!(rounded >= static_cast<double>(INT32_MIN))) return INT32_MIN;  // NaN too
  if (rounded > static_cast<double>(INT32_MAX)) return INT32_MAX;
  return static_cast<std::int32_t>(rounded);
}

}  // namespace

void SetHomePosition(HomePosition& home, double latitude, double longitude, double altitude) {
  home.latitude = latitude;
  home.longitude = longitude;
  home.altitude = altitude;
  const EcefMetres ecef = GeodeticToEcef(latitude, longitude, altitude);
  home.ecefX = ecef.x;
  home.ecefY = ecef.y;
  home.ecefZ = ecef.z;
  const MapPoint map = Project(latitude, longitude);
  home.mapX = map.x;
  home.mapY = map.y;
}

EcefMetres GeodeticToEcef(double latitude, double longitude, double altitude) {
  const double phi = latitude * kDegToRad;
  const double lambda = longitude * kDegToRad;
  const double e2 = std::pow(kEccentricity, 2);
  const double n = kA / std::sqrt(1.0 - e2 * std::sin(phi) * std::sin(phi));
  return {RoundToInt((n + altitude) * std::cos(phi) * std::cos(lambda)),
          RoundToInt((n + altitude) * std::cos(phi) * std::sin(lambda)),
          RoundToInt(((1.0 - e2) * n + altitude) * std::sin(phi))};
}

LookAngle LookAngles(const HomePosition& home, std::int32_t x, std::int32_t y, std::int32_t z) {
  const auto hx = static_cast<double>(home.ecefX);
  const auto hy = static_cast<double>(home.ecefY);
  const auto hz = static_cast<double>(home.ecefZ);
  const auto dx = static_cast<double>(static_cast<std::int64_t>(x) - home.ecefX);
  const auto dy = static_cast<double>(static_cast<std::int64_t>(y) - home.ecefY);
  const auto dz = static_cast<double>(static_cast<std::int64_t>(z) - home.ecefZ);
  const double d2 = dx * dx + dy * dy + dz * dz;
  const double h2 = hx * hx + hy * hy + hz * hz;
  const double p2 = hx * hx + hy * hy;

  LookAngle look;
  look.slantRange = RoundHalfEven(std::sqrt(d2));
  if (d2 == 0.0 || h2 == 0.0) {
    look.elevation = 90.0;  // nothing to look at but up
    return look;
  }
  const double cosZenith =
      std::clamp((hx * dx + hy * dy + hz * dz) / std::sqrt(h2 * d2), -1.0, 1.0);
  look.elevation = 90.0 - std::acos(cosZenith) / kDegToRad;
  if (p2 == 0.0) return look;  // at a pole every direction is south (or north)
  const double north = (-hz * hx * dx - hz * hy * dy + p2 * dz) / std::sqrt(p2 * h2 * d2);
  const double east = (-hy * dx + hx * dy) / std::sqrt(p2 * d2);
  if (north == 0.0 && east == 0.0) return look;  // straight up or down
  look.azimuth = std::atan2(east, north) / kDegToRad;
  if (look.azimuth < 0) look.azimuth += 360.0;
  return look;
}

double GroundDistance(const HomePosition& home, double latitude, double longitude) {
  const double dPhi = (latitude - home.latitude) * kDegToRad;
  const double dLambda = (longitude - home.longitude) * kDegToRad;
  const double s1 = std::sin(dPhi / 2);
  const double s2 = std::sin(dLambda / 2);
  const double h =
      s1 * s1 + std::cos(home.latitude * kDegToRad) * std::cos(latitude * kDegToRad) * s2 * s2;
  return 2.0 * std::asin(std::sqrt(std::clamp(h, 0.0, 1.0))) * kEarthRadiusKm;
}

Geodetic EcefToGeodetic(double x, double y, double z) {
  Geodetic g;
  if (x == 0.0 && y == 0.0) {
    // On the axis the formulas divide by zero. An all-zero block means "no fix": report 0, 0, 0
    // as other decoders do rather than a point at the centre of the earth.
    if (z != 0.0) {
      g.latitude = z > 0 ? 90.0 : -90.0;
      g.altitude = std::fabs(z) - kB;
    }
    return g;
  }
  const double lon = std::atan2(y, x);
  const double p = std::sqrt(x * x + y * y);
  const double theta = std::atan2(z * kA, p * kB);
  const double st = std::sin(theta);
  const double ct = std::cos(theta);
  const double lat = std::atan2(z + kEp2b * st * st * st, p - kE2a * ct * ct * ct);
  const double n = kA / std::sqrt(1.0 - kE2 * std::sin(lat) * std::sin(lat));
  g.latitude = lat / kDegToRad;
  g.longitude = lon / kDegToRad;
  g.altitude = p / std::cos(lat) - n;
  return g;
}

}  // namespace windlark
