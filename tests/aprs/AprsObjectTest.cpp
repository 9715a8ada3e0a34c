#include "aprs/AprsObject.h"

#include <gtest/gtest.h>

#include <string>

namespace windlark {
namespace {

const std::string kLine =
    "DL1XYZ-5>APRS,TCPIP*,qAC,T2DE:;S1234567 *123456h4532.18N/00741.52EO087/012/A=034524!wE!!"
    "Clb=5.1m/s 403.00MHz Type=RS41-SG Aux[] Windlark 1.15";

// The same object with `at` (counted from the ";") replaced.
std::string With(std::size_t at, const std::string& text, std::string line = kLine) {
  line.replace(line.find(":;") + 1 + at, text.size(), text);
  return line;
}

TEST(AprsObjectTest, OnlyBalloonObjectsInThePrimaryTableAreSondes) {
  EXPECT_TRUE(IsSondeObject(kLine));
  EXPECT_FALSE(IsSondeObject(With(36, ">"))) << "another symbol";
  EXPECT_FALSE(IsSondeObject(With(26, "\\"))) << "the alternate table";
  std::string noObject = kLine;
  noObject.replace(noObject.find(":;"), 2, ":!");
  EXPECT_FALSE(IsSondeObject(noObject));
  EXPECT_FALSE(ParseObjectLine(noObject));
  EXPECT_FALSE(IsSondeObject(kLine.substr(0, kLine.find(":;") + 39))) << "too short";
  EXPECT_FALSE(IsSondeObject("# aprsc 2.1.14"));
  EXPECT_FALSE(IsSondeObject(""));
}

TEST(AprsObjectTest, ParsesEveryFieldOfAReport) {
  const auto parsed = ParseObjectLine(kLine);
  ASSERT_TRUE(parsed);
  const AprsSonde& s = parsed->sonde;
  EXPECT_EQ(s.name, "S1234567");
  EXPECT_EQ(s.hour, 12);
  EXPECT_EQ(s.minute, 34);
  EXPECT_EQ(s.second, 56);
  EXPECT_NEAR(s.latitude, 45 + 32.18 / 60 + 36 * 1.1 / 600000, 1e-9);
  EXPECT_NEAR(s.longitude, 7 + 41.52 / 60, 1e-9);
  EXPECT_NEAR(s.altitude, 34524 * 0.3048, 1e-9);
  EXPECT_TRUE(s.programTag);
  EXPECT_FALSE(s.ownSonde);
  EXPECT_GT(s.mapX, 0.5);
  EXPECT_LT(s.mapY, 0.5);
  EXPECT_TRUE(parsed->courseSpeedValid);
  EXPECT_EQ(parsed->courseDeg, 87);
  EXPECT_NEAR(parsed->speedKmh, 12 * 1.852, 1e-9);
  EXPECT_TRUE(parsed->climbValid);
  EXPECT_DOUBLE_EQ(parsed->climbMs, 5.1);
  EXPECT_EQ(parsed->source, "DL1XYZ-5");
  EXPECT_EQ(parsed->payload.substr(0, 11), "087/012/A=0");
}

TEST(AprsObjectTest, TimestampsAndWhatIsLeftOut) {
  auto zulu = ParseObjectLine(With(11, "101234z"));
  ASSERT_TRUE(zulu);
  EXPECT_EQ(zulu->sonde.hour, 12);
  EXPECT_EQ(zulu->sonde.minute, 34);
  EXPECT_EQ(zulu->sonde.second, 0);
  auto local = ParseObjectLine(With(11, "101234/"));
  ASSERT_TRUE(local);
  EXPECT_EQ(local->sonde.hour + local->sonde.minute + local->sonde.second, 0);
  EXPECT_FALSE(ParseObjectLine(With(11, "12a456h"))) << "non-digits in the time: skipped";
  EXPECT_FALSE(ParseObjectLine(With(11, "1234 6h")));

  auto noAltitude = ParseObjectLine(With(44, "AAAAAA"));
  ASSERT_TRUE(noAltitude);
  EXPECT_EQ(noAltitude->sonde.altitude, kNoAltitude);
  auto badAltitude = ParseObjectLine(With(47, "03x524"));
  ASSERT_TRUE(badAltitude);
  EXPECT_EQ(badAltitude->sonde.altitude, 0);

  auto badMinutes = ParseObjectLine(With(20, "3x"));
  ASSERT_TRUE(badMinutes);
  EXPECT_NEAR(badMinutes->sonde.latitude, 36 * 1.1 / 600000, 1e-12) << "only the DAO share";
  auto badLongitude = ParseObjectLine(With(27, "0x7"));
  ASSERT_TRUE(badLongitude);
  EXPECT_NEAR(badLongitude->sonde.latitude, 45.5364, 1e-4);
  EXPECT_NEAR(badLongitude->sonde.longitude, 0, 1e-5);

  auto badCourse = ParseObjectLine(With(37, "0x7"));
  ASSERT_TRUE(badCourse);
  EXPECT_FALSE(badCourse->courseSpeedValid);
  auto badClimb = ParseObjectLine(With(58, "Clb=5,1m/s"));
  ASSERT_TRUE(badClimb);
  EXPECT_FALSE(badClimb->climbValid);
  std::string other = kLine;
  other.replace(other.find("Windlark"), 8, "Autorx 1");
  EXPECT_FALSE(ParseObjectLine(other)->sonde.programTag);
}

TEST(AprsObjectTest, CompressedPositionsAreKeptWithoutOne) {
  // A compressed position after the timestamp, padded so the tested columns hold "/" and "O".
  const std::string line = "N0CALL>APRS:;P4321234 *123456h/5L!!<*e/O        O       /A=012345";
  ASSERT_TRUE(IsSondeObject(line));
  const auto parsed = ParseObjectLine(line);
  ASSERT_TRUE(parsed);
  EXPECT_EQ(parsed->sonde.name, "P4321234");
  EXPECT_EQ(parsed->sonde.latitude, 0);
  EXPECT_EQ(parsed->sonde.longitude, 0);
  EXPECT_NEAR(parsed->sonde.altitude, 12345 * 0.3048, 1e-9);
}

TEST(AprsObjectTest, DaoMovesASouthWesternPositionFurtherOut) {
  const std::string plain =
      "CE1ABC>APRS:;S7654321 *101010h3300.00S/07000.00WO000/000/A=010000 Clb=5.0m/s";
  const std::string dao =
      "CE1ABC>APRS:;S7654321 *101010h3300.00S/07000.00WO000/000/A=010000!w{{!Clb=5.0m/s";
  const auto a = ParseObjectLine(plain);
  const auto b = ParseObjectLine(dao);
  ASSERT_TRUE(a && b);
  EXPECT_DOUBLE_EQ(a->sonde.latitude, -33);
  EXPECT_NEAR(b->sonde.latitude, -33 - 90 * 1.1 / 600000, 1e-12);
  EXPECT_NEAR(b->sonde.longitude, -70 - 90 * 1.1 / 600000, 1e-12);
  const auto zero = ParseObjectLine(
      "CE1ABC>APRS:;S7654321 *101010h0000.00S/00000.00WO000/000/A=010000!w{{!Clb=5.0m/s");
  ASSERT_TRUE(zero);
  EXPECT_LT(zero->sonde.latitude, 0) << "just south of the equator";
  EXPECT_LT(zero->sonde.longitude, 0) << "just west of Greenwich";
}

TEST(AprsObjectTest, TimeAcceptance) {
  AprsSonde report;
  report.hour = 10;
  EXPECT_FALSE(AcceptedAtTime(report, 9 * 3600 + 54 * 60));
  EXPECT_TRUE(AcceptedAtTime(report, 9 * 3600 + 56 * 60));
  AprsSonde late;
  late.hour = 23;
  late.minute = 59;
  EXPECT_TRUE(AcceptedAtTime(late, 60)) << "just before midnight, seen just after it";
  AprsSonde entry = report;
  EXPECT_FALSE(NewerThan(report, entry));
  report.second = 1;
  EXPECT_TRUE(NewerThan(report, entry));
  EXPECT_TRUE(NewerThan(AprsSonde{}, late)) << "00:00:00 after 23:59:00";
}

TEST(AprsObjectTest, TrackingPanelTexts) {
  EXPECT_EQ(SlantRangeText(9999, '.'), "9999 m");
  EXPECT_EQ(SlantRangeText(10000, '.'), "10.000 km");
  EXPECT_EQ(SlantRangeText(12345.6, ','), "12,346 km");
  EXPECT_EQ(SlantRangeText(42, ','), "0042 m");

  HomePosition home;
  SetHomePosition(home, 45.4, 7.6, 300);
  const auto parsed = ParseObjectLine(kLine);
  ASSERT_TRUE(parsed);
  const TrackingPanelTexts t = TrackingTexts(*parsed, home, ',');
  EXPECT_EQ(t.sondeId, "S1234567");
  EXPECT_EQ(t.latitude, "45.536399\u00B0N");
  EXPECT_EQ(t.longitude, "7.692000\u00B0E");
  EXPECT_EQ(t.linkLatitude, "45.536399");
  EXPECT_EQ(t.time, "12:34:56 UTC");
  EXPECT_EQ(t.course, "087\u00B0");
  EXPECT_EQ(t.speed, "22.2 km/h");
  EXPECT_EQ(t.climb, "5.1m/s");
  EXPECT_EQ(t.altitude, "10522.9 m");
  EXPECT_EQ(t.source, "DL1XYZ-5");
  EXPECT_NE(t.bearing.find(','), std::string::npos) << t.bearing;
  EXPECT_NE(t.slantRange.find(" km"), std::string::npos);

  auto south = ParseObjectLine(With(44, "AAAAAA", With(18, "3300.00S/07000.00W")));
  ASSERT_TRUE(south);
  const TrackingPanelTexts s = TrackingTexts(*south, home, '.');
  EXPECT_EQ(s.latitude.back(), 'S');
  EXPECT_EQ(s.longitude.back(), 'W');
  EXPECT_EQ(s.linkLatitude.front(), '-');
  EXPECT_EQ(s.altitude, "-.- m");
  EXPECT_EQ(s.bearing, "");
  EXPECT_EQ(s.slantRange, "");
  EXPECT_EQ(WebMapUrl("45.536393", "7.692000"),
            "https://www.google.com/maps/place/45.536393,7.692000");
}

}  // namespace
}  // namespace windlark
