#include <gtest/gtest.h>

#include <string>

#include "gps/Nmea.h"

namespace windlark {
namespace {

constexpr const char* kExample =
    "$GPGGA,123519.00,4432.316,N,00736.750,E,1,08,0.9,245.3,M,46.9,M,,*6E";

TEST(Gga, TheExampleSentenceOfEachTalker) {
  for (const std::string talker : {"$GPGGA", "$GNGGA", "$GLGGA"}) {
    const std::string line = talker + std::string(kExample).substr(6);
    const auto fix = ParseGga(line);
    ASSERT_TRUE(fix) << talker;
    EXPECT_TRUE(fix->Usable());
    EXPECT_DOUBLE_EQ(*fix->latitude, 44 + 32.316 / 60);
    EXPECT_DOUBLE_EQ(*fix->longitude, 7 + 36.750 / 60);
    EXPECT_DOUBLE_EQ(*fix->altitudeM, 245.3);
    const GpsInTexts texts = GpsInTextsOf(*fix);
    EXPECT_EQ(texts.time, "12:35:19");
    EXPECT_EQ(texts.latitude, "44.538600N");
    EXPECT_EQ(texts.longitude, "7.612500E");
    EXPECT_EQ(texts.altitude, "245.3m");
    EXPECT_EQ(texts.fix, "GPS");
    EXPECT_EQ(texts.satellites, "8");
  }
}

TEST(Gga, OtherSentencesAndTalkersAreIgnored) {
  EXPECT_FALSE(ParseGga("$GAGGA,123519.00,4432.316,N,00736.750,E,1,08,0.9,245.3,M,46.9,M,,*6E"));
  EXPECT_FALSE(ParseGga("$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6A"));
  EXPECT_FALSE(ParseGga(""));
  EXPECT_FALSE(ParseGga("garbage \x01\xff"));
}

TEST(Gga, NoFixAndGarbledFields) {
  struct Case {
    const char* line;
    const char* fix;
    bool usable;
    bool latitude;
    bool longitude;
    const char* time;
    const char* satellites;
  };
  const Case cases[] = {
      // No time: nothing else is read.
      {"$GPGGA,,,,,,0,00,,,M,,M,,*66", "No Fix", false, false, false, "", ""},
      // Quality 0 with coordinates.
      {"$GPGGA,123519,4432.316,N,00736.750,E,0,08,0.9,245.3,M,,M,,", "Invalid", false, true, true,
       "12:35:19", "8"},
      // A latitude of fewer than 4 characters: no latitude, so no fix either.
      {"$GPGGA,123519,443,N,00736.750,E,1,08,0.9,245.3,M,,M,,", "No Fix", false, false, true,
       "12:35:19", "8"},
      // South and west.
      {"$GNGGA,000001.50,3351.000,S,15112.000,W,2,12,0.9,5,M,,M,,", "DGPS", true, true, true,
       "00:00:02", "12"},
      // Minutes of 60 and more, "nan", letters: garbled text, not a place.
      {"$GPGGA,120000,4460.000,N,nan,E,1,x,0.9,y,M,,M,,", "No Fix", false, false, false, "12:00:00",
       ""},
      // A quality beyond the table.
      {"$GPGGA,120000,4432.316,N,00736.750,E,9,5,0.9,1,M,,M,,", "Other", true, true, true,
       "12:00:00", "5"},
      // Cut short after the latitude.
      {"$GPGGA,120000,4432.3", "No Fix", false, true, false, "12:00:00", ""},
  };
  for (const Case& c : cases) {
    const auto fix = ParseGga(c.line);
    ASSERT_TRUE(fix) << c.line;
    const GpsInTexts texts = GpsInTextsOf(*fix);
    EXPECT_EQ(texts.fix, c.fix) << c.line;
    EXPECT_EQ(fix->Usable(), c.usable) << c.line;
    EXPECT_EQ(texts.latitude.has_value(), c.latitude) << c.line;
    EXPECT_EQ(texts.longitude.has_value(), c.longitude) << c.line;
    EXPECT_EQ(texts.time, c.time) << c.line;
    EXPECT_EQ(texts.satellites, c.satellites) << c.line;
  }
  const auto south = ParseGga(cases[3].line);
  EXPECT_DOUBLE_EQ(*south->latitude, -(33 + 51.0 / 60));
  EXPECT_EQ(*GpsInTextsOf(*south).longitude, "151.200000W");
}

TEST(Gga, FixNames) {
  const char* names[] = {"No Fix", "Invalid",      "GPS",       "DGPS",
                         "PPS",    "RT Kinematic", "float RTK", "dead reckoning",
                         "Manual", "Simulation",   "Other"};
  for (int q = -1; q <= 9; ++q) EXPECT_EQ(FixName(q), names[q + 1]);
  EXPECT_EQ(FixName(-2), "Other");
}

TEST(NmeaLineSplitter, SentencesSplitAcrossReadsAndAnEndlessLine) {
  NmeaLineSplitter splitter;
  EXPECT_TRUE(splitter.Push("$GPGGA,1235").empty());
  EXPECT_TRUE(splitter.Push("19.00,4432.316,N\r").empty());
  const auto lines = splitter.Push("\n$GPRMC,x\r\n$GP");
  ASSERT_EQ(lines.size(), 2U);
  EXPECT_EQ(lines[0], "$GPGGA,123519.00,4432.316,N");
  EXPECT_EQ(lines[1], "$GPRMC,x");
  EXPECT_EQ(splitter.Pending(), 3U);

  // Lines ended by LF alone never end: the buffer stays bounded and keeps the newest sentence.
  NmeaLineSplitter endless;
  for (int k = 0; k < 2000; ++k) {
    EXPECT_TRUE(
        endless.Push("$GPGGA,123519.00,4432.316,N,00736.750,E,1,08,0.9,245.3,M,,M,,\n").empty());
    ASSERT_LE(endless.Pending(), NmeaLineSplitter::kMaxPending);
  }
  EXPECT_GT(endless.Dropped(), 100000U);
  // Without any "$" (noise at a wrong baud rate) everything old goes.
  NmeaLineSplitter noise;
  noise.Push(std::string(NmeaLineSplitter::kMaxPending + 1, 'x'));
  EXPECT_EQ(noise.Pending(), 0U);
  // A CR LF arriving later still ends the sentence that was kept.
  const auto recovered = endless.Push("\r\n");
  ASSERT_EQ(recovered.size(), 1U);
  EXPECT_TRUE(recovered[0].starts_with("$GPGGA,123519.00")) << recovered[0];
  EXPECT_EQ(endless.Push(std::string(kExample) + "\r\n").size(), 1U);
}

TEST(GpsLamp, LitByEachSentenceNavyTwoPassesAfterTheLast) {
  GpsLampCountdown lamp;
  EXPECT_FALSE(lamp.Pass());
  EXPECT_EQ(lamp.Sentence(-1), kYellow);
  EXPECT_EQ(lamp.Pass(), kYellow);  // 3 -> 2
  EXPECT_FALSE(lamp.Pass());        // 2 -> 1
  EXPECT_EQ(lamp.Pass(), kNavy);    // 1 -> 0
  EXPECT_FALSE(lamp.Pass());
  EXPECT_EQ(lamp.Sentence(1), kLime);
  EXPECT_EQ(lamp.Pass(), kLime);
}

TEST(GpsOpenError, DetailsNameTheFailingStep) {
  EXPECT_EQ(GpsOpenErrorText(-1, "/dev/ttyUSB0"),
            "GPS communication ERROR\rUnable to open </dev/ttyUSB0> port");
  EXPECT_EQ(GpsOpenErrorText(-4, "x"), "GPS communication ERROR\rUnable to set serial parameters");
  EXPECT_EQ(GpsOpenErrorText(-7, "x"), "GPS communication ERROR\rUnknown error");
}

}  // namespace
}  // namespace windlark
