#include "decoder/Geodesy.h"

#include <gtest/gtest.h>

#include <cmath>

namespace windlark {
namespace {

HomePosition Home(double lat, double lon, double alt) {
  HomePosition home;
  SetHomePosition(home, lat, lon, alt);
  return home;
}

TEST(Geodesy, EcefRoundTrips) {
  const EcefMetres origin = GeodeticToEcef(0, 0, 0);
  EXPECT_EQ(origin.x, 6378137);
  EXPECT_EQ(origin.y, 0);
  EXPECT_EQ(origin.z, 0);
  const Geodetic g = EcefToGeodetic(6378137, 0, 0);
  EXPECT_NEAR(g.latitude, 0, 1e-12);
  EXPECT_NEAR(g.longitude, 0, 1e-12);
  EXPECT_NEAR(g.altitude, 0, 1e-6);
  const EcefMetres p = GeodeticToEcef(46.01891, 16.34725, 14035.75);
  const Geodetic back = EcefToGeodetic(p.x, p.y, p.z);
  EXPECT_NEAR(back.latitude, 46.01891, 1e-5);
  EXPECT_NEAR(back.longitude, 16.34725, 1e-5);
  EXPECT_NEAR(back.altitude, 14035.75, 1.0);
}

TEST(Geodesy, NoFixAndThePolarAxisGiveFiniteValues) {
  const Geodetic none = EcefToGeodetic(0, 0, 0);
  EXPECT_EQ(none.latitude, 0);
  EXPECT_EQ(none.longitude, 0);
  EXPECT_EQ(none.altitude, 0);
  const Geodetic pole = EcefToGeodetic(0, 0, 6356752.31424518 + 100);
  EXPECT_EQ(pole.latitude, 90);
  EXPECT_NEAR(pole.altitude, 100, 1e-6);
}

TEST(Geodesy, LookAnglesInTheCardinalDirections) {
  const HomePosition home = Home(47.0, 8.0, 400);
  const EcefMetres above = GeodeticToEcef(47.0, 8.0, 1400);
  const LookAngle up = LookAngles(home, above.x, above.y, above.z);
  // The horizon is that of a sphere through the home: up is off the ellipsoid normal by ~0.2°.
  EXPECT_NEAR(up.elevation, 90.0, 0.3);
  EXPECT_NEAR(up.slantRange, 1000, 1);  // both ends rounded to whole metres

  struct Case {
    double lat;
    double lon;
    double azimuth;
  };
  // On the prime meridian due north has no east component at all: 0, not 360.
  const HomePosition greenwich = Home(47.0, 0.0, 400);
  for (const Case& c : {Case{47.1, 0.0, 0.0}, Case{47.0, -0.1, 270.0}, Case{46.9, 0.0, 180.0},
                        Case{47.0, 0.1, 90.0}}) {
    const EcefMetres t = GeodeticToEcef(c.lat, c.lon, 400);
    const LookAngle look = LookAngles(greenwich, t.x, t.y, t.z);
    EXPECT_NEAR(look.azimuth, c.azimuth, 0.1) << c.lat << " " << c.lon;
    EXPECT_LT(look.azimuth, 360.0);
  }
}

TEST(Geodesy, DegenerateGeometryNeverGivesNaN) {
  const HomePosition home = Home(47.0, 8.0, 400);
  const LookAngle same = LookAngles(home, home.ecefX, home.ecefY, home.ecefZ);
  EXPECT_EQ(same.slantRange, 0);
  EXPECT_EQ(same.elevation, 90);
  EXPECT_EQ(same.azimuth, 0);
  const HomePosition pole = Home(90.0, 0.0, 0);
  const EcefMetres t = GeodeticToEcef(89.9, 10.0, 0);
  const LookAngle look = LookAngles(pole, t.x, t.y, t.z);
  EXPECT_TRUE(std::isfinite(look.azimuth) && std::isfinite(look.elevation));
  EXPECT_TRUE(std::isfinite(GroundDistance(pole, 89.9, 10.0)));
}

TEST(Geodesy, EcefMetresSaturateInsteadOfOverflowing) {
  // Converted as they are, values past 32 bits are undefined (x86 gives INT32_MIN).
  const EcefMetres high = GeodeticToEcef(0.0, 0.0, 2147483647.0);
  EXPECT_EQ(high.x, INT32_MAX);
  EXPECT_EQ(GeodeticToEcef(0.0, 180.0, 3e9).x, INT32_MIN);
  EXPECT_EQ(GeodeticToEcef(0.0, 0.0, std::nan("")).x, INT32_MIN);
}

TEST(Geodesy, GroundDistanceByHaversine) {
  const HomePosition home = Home(0, 0, 0);
  // One degree of arc on the 6371 km sphere.
  EXPECT_NEAR(GroundDistance(home, 1.0, 0.0), 6371.0 * 3.14159265358979 / 180.0, 1e-9);
  EXPECT_EQ(GroundDistance(home, 0, 0), 0);
}

}  // namespace
}  // namespace windlark
