#include <gtest/gtest.h>

#include "gps/Gpsd.h"

namespace windlark {
namespace {

TEST(Gpsd, PositionReports) {
  const auto tpv = ParseGpsdLine(
      R"({"class":"TPV","device":"/dev/pts/3","mode":3,"time":"2026-12-10T12:35:19.000Z",)"
      R"("ept":0.005,"lat":44.538600000,"lon":7.612500000,"altHAE":292.200,"altMSL":245.300,)"
      R"("alt":245.300,"track":0.0,"speed":0.000,"climb":0.000,"eps":0.5})");
  ASSERT_EQ(tpv.kind, GpsdReport::Kind::Position);
  ASSERT_TRUE(tpv.fix.Usable());
  EXPECT_DOUBLE_EQ(*tpv.fix.latitude, 44.5386);
  EXPECT_DOUBLE_EQ(*tpv.fix.longitude, 7.6125);
  EXPECT_DOUBLE_EQ(*tpv.fix.altitudeM, 245.3);
  EXPECT_EQ(*tpv.fix.timeHhmmss, 123519);
  EXPECT_EQ(tpv.fix.fixQuality, 1);

  // A 2D fix has no altitude; older gpsd names it "alt"; DGPS status.
  const auto flat =
      ParseGpsdLine(R"({"class":"TPV","mode":2,"status":2,"lat":-33.85,"lon":-151.2,"alt":12})");
  ASSERT_TRUE(flat.fix.Usable());
  EXPECT_FALSE(flat.fix.altitudeM);
  EXPECT_EQ(flat.fix.latitudeLetter, 'S');
  EXPECT_EQ(flat.fix.longitudeLetter, 'W');
  EXPECT_EQ(flat.fix.fixQuality, 2);
  const auto old = ParseGpsdLine(R"({"class":"TPV","mode":3,"lat":1,"lon":2,"alt":12.5})");
  EXPECT_DOUBLE_EQ(*old.fix.altitudeM, 12.5);

  // Mode 1 (no fix) or 0 gives no position even with coordinates.
  const auto none = ParseGpsdLine(R"({"class":"TPV","mode":1,"lat":44.5,"lon":7.6})");
  EXPECT_EQ(none.kind, GpsdReport::Kind::Position);
  EXPECT_FALSE(none.fix.Usable());
  EXPECT_EQ(GpsInTextsOf(none.fix).fix, "No Fix");
}

TEST(Gpsd, SkyOtherClassesAndBrokenLines) {
  const auto sky =
      ParseGpsdLine(R"({"class":"SKY","nSat":3,"uSat":2,"satellites":[{"PRN":1,"used":true},)"
                    R"({"PRN":5,"used":false},{"PRN":9,"used":true}]})");
  EXPECT_EQ(sky.kind, GpsdReport::Kind::Sky);
  EXPECT_EQ(sky.satellitesUsed, 2);
  const auto counted = ParseGpsdLine(
      R"({"class":"SKY","satellites":[{"PRN":1,"used":true},{"PRN":9,"used":true},{"PRN":3}]})");
  EXPECT_EQ(counted.satellitesUsed, 2);

  for (const char* line :
       {R"({"class":"VERSION","release":"3.22","proto_major":3})", "", "{", "not json",
        R"({"class":"TPV","mode":3,"lat":)", R"({"class":"TPV","mode":3,"lat":44,"lon":7}x)",
        R"([{"class":"TPV"}])"}) {
    EXPECT_EQ(ParseGpsdLine(line).kind, GpsdReport::Kind::Other) << line;
  }
  // Latitudes beyond the poles and values of the wrong type are not valid.
  const auto wrong = ParseGpsdLine(R"({"class":"TPV","mode":3,"lat":"44","lon":200})");
  EXPECT_FALSE(wrong.fix.latitude);
  EXPECT_FALSE(wrong.fix.longitude);
  // Nesting deeper than any report is refused rather than followed.
  std::string deep = R"({"class":"TPV","x":)";
  for (int k = 0; k < 10000; ++k) deep += "[";
  EXPECT_EQ(ParseGpsdLine(deep).kind, GpsdReport::Kind::Other);
}

}  // namespace
}  // namespace windlark
