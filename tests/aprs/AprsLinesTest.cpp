#include "aprs/AprsLines.h"

#include <gtest/gtest.h>

#include <string>

namespace windlark {
namespace {

AprsLogin Login(bool home = false) {
  AprsLogin login;
  login.version = "1.15";
  login.loginCallsign = "ZZ9ZZZ-11";
  login.homeCallsign = "ZZ9ZZZ-15";
  login.sendHomePosition = home;
  login.passcode = 12345;
  login.serverHost = "127.0.0.1";
  login.filterLine = "#filter  s/O";
  return login;
}

ObjectReport Report() {
  ObjectReport r;
  r.sondeId = "S1234567";
  r.year = 2026;
  r.month = 12;
  r.day = 10;
  r.hour = 12;
  r.minute = 34;
  r.second = 56;
  r.latitude = 45.5364;
  r.longitude = 7.692;
  r.altitude = 10523;
  r.windDirection = 267;
  r.horizontalSpeed = 6.2;
  r.verticalSpeed = 5.1;
  r.frequencyKHz = 403000;
  r.pressureSource = 1;
  return r;
}

TEST(AprsLinesTest, CoordinatesCarryTheirDaoDigitAndNeverShowSixtyMinutes) {
  struct Case {
    double value;
    bool latitude;
    const char* text;
    char dao;
  };
  const Case cases[] = {
      {-45.5, true, "4530.00S", '!'},
      {7.5, false, "00730.00E", '!'},
      {-120.25, false, "12015.00W", '!'},
      {45.5364, true, "4532.18N", 'E'},       // 32.1840': 40 ten-thousandths / 1.1 = 36
      {44.5386, true, "4432.31N", 'X'},       // 32.3160': 60 / 1.1 = 54.5 -> 55
      {45.536498333, true, "4532.18N", '{'},  // 32.1899': 99 / 1.1 = 90, the last base-91 digit
      {44.9999999, true, "4500.00N", '!'},    // 59.999994' carries into the degrees
      {-7.99999999, false, "00800.00W", '!'},
      {0.0, true, "0000.00N", '!'},
  };
  for (const Case& c : cases) {
    const CoordinateText t = c.latitude ? LatitudeText(c.value) : LongitudeText(c.value);
    EXPECT_EQ(t.text, c.text) << c.value;
    EXPECT_EQ(t.dao, c.dao) << c.value;
  }
}

TEST(AprsLinesTest, ObjectLineHasEveryItemInOrder) {
  EXPECT_EQ(ObjectLine(Report(), Login()),
            "ZZ9ZZZ-11>APRS,TCPIP*:;S1234567 *123456h4532.18N/00741.52EO087/012/A=034524!wE!!"
            "Clb=5.1m/s 403.00MHz Type=RS41-SG Aux[] Windlark 1.15");
  // With the home position sent, the object goes out through the home station.
  EXPECT_EQ(ObjectLine(Report(), Login(true)).substr(0, 31), "ZZ9ZZZ-11>APRS,qAO,ZZ9ZZZ-15:;S");
}

TEST(AprsLinesTest, ObjectItemsFollowTheSonde) {
  struct Case {
    const char* what;
    void (*change)(ObjectReport&);
    const char* expected;
  };
  const Case cases[] = {
      {"wind 270", [](ObjectReport& r) { r.windDirection = 270; }, "EO090/"},
      {"wind 0", [](ObjectReport& r) { r.windDirection = 0; }, "EO180/"},
      {"wind 179.6", [](ObjectReport& r) { r.windDirection = 179.6; }, "EO000/"},
      {"RS41-SGP", [](ObjectReport& r) { r.pressureSource = 2; }, " Type=RS41-SGP Aux[]"},
      {"unknown type", [](ObjectReport& r) { r.pressureSource = 0; }, "MHz Aux[]"},
      {"aux",
       [](ObjectReport& r) {
         r.auxPresent = {1, 1, 0, 0, 0};
       },
       " Aux[O3,CFH] Windlark"},
      {"all aux",
       [](ObjectReport& r) {
         r.auxPresent = {1, 1, 1, 1, 1};
       },
       " Aux[O3,CFH,COBALD,SKYDEW,UNKNOWN]"},
      {"BK off", [](ObjectReport& r) { r.killState = 0; }, "] BK=Off Windlark"},
      {"BK on", [](ObjectReport& r) { r.killState = 1; }, "] BK=On Windlark"},
      {"BK timed",
       [](ObjectReport& r) {
         r.killState = 1;
         r.killTime = 13000;
       },
       "] BK=Timed(013000h) Windlark"},
      {"descent", [](ObjectReport& r) { r.verticalSpeed = -12.34; }, "Clb=-12.3m/s"},
      {"below sea level", [](ObjectReport& r) { r.altitude = -30; }, "/A=000000!w"},
      {"jet stream", [](ObjectReport& r) { r.horizontalSpeed = 80; }, "/156/A="},
      {"frequency", [](ObjectReport& r) { r.frequencyKHz = 405701; }, "m/s 405.70MHz"},
  };
  for (const Case& c : cases) {
    ObjectReport r = Report();
    c.change(r);
    EXPECT_NE(ObjectLine(r, Login()).find(c.expected), std::string::npos)
        << c.what << ": " << ObjectLine(r, Login());
  }
}

TEST(AprsLinesTest, HostileSondeIdsNeverReachTheLineAsMoreThanAName) {
  EXPECT_EQ(SanitiseAirText("S1234567"), "S1234567");
  EXPECT_EQ(SanitiseAirText("DFM-1234"), "DFM-1234");
  EXPECT_EQ(SanitiseAirText("S12\r\n34567"), "S1234567");
  EXPECT_EQ(SanitiseAirText("AB:;CD*|~"), "ABCD");
  EXPECT_EQ(SanitiseAirText(std::string("X\0Y\x1b\x7fZ", 6)), "XYZ");
  EXPECT_EQ(SanitiseAirText("\xC3\x84S1"), "S1");
  EXPECT_EQ(SanitiseAirText("S1234567890"), "S12345678");
  EXPECT_EQ(SanitiseAirText(" S1 "), "S1");

  const char* hostile[] = {"\r\nEVIL>APRS,TCPIP*:!4900.00N/00800.00E-", "S1\r\n#filter r/0/0/20000",
                           "A\nB", "\x01\x02\x03", "  "};
  for (const char* id : hostile) {
    ObjectReport r = Report();
    r.sondeId = id;
    const std::string line = ObjectLine(r, Login());
    for (const char c : line) {
      EXPECT_TRUE(c >= 0x20 && c < 0x7f) << "byte " << int(c) << " from id " << id;
    }
    if (line.empty()) continue;
    // The object name stays exactly nine characters, so the line's layout holds.
    const auto start = line.find(":;") + 2;
    EXPECT_EQ(line[start + 9], '*') << line;
    EXPECT_EQ(line.find(":;", start), std::string::npos) << line;
  }
  ObjectReport nameless = Report();
  nameless.sondeId = "\r\n";
  EXPECT_EQ(ObjectLine(nameless, Login()), "") << "no name, no object";
}

TEST(AprsLinesTest, HomeBeaconAndLogin) {
  EXPECT_EQ(HomeBeaconLine(Login(true), 12 * 3600 + 5, 44.5386, 7.6125),
            "ZZ9ZZZ-15>APRS,TCPIP*:/120005h4432.31N/00736.75E`Windlark Gate!wX!!");
  EXPECT_EQ(LoginLine(Login()), " user ZZ9ZZZ-11 pass 12345 vers Windlark 1.15");
  EXPECT_EQ(LoginLine(Login(true)), " user ZZ9ZZZ-15 pass 12345 vers Windlark 1.15");
  AprsLogin none = Login();
  none.passcode = -1;
  EXPECT_EQ(LoginLine(none), " user ZZ9ZZZ-11 pass -1 vers Windlark 1.15");
}

TEST(AprsLinesTest, ServerEndpoint) {
  struct Case {
    const char* server;
    const char* host;
    int port;
  };
  const Case cases[] = {{"euro.aprs2.net", "euro.aprs2.net", 14580},
                        {"127.0.0.1:40123", "127.0.0.1", 40123},
                        {"127.0.0.1:0", "127.0.0.1:0", 14580},
                        {"host:99999", "host:99999", 14580},
                        {"host:14a", "host:14a", 14580},
                        {"::1", "::1", 14580}};
  for (const Case& c : cases) {
    const AprsEndpoint e = AprsEndpointOf(c.server);
    EXPECT_EQ(e.host, c.host) << c.server;
    EXPECT_EQ(e.port, c.port) << c.server;
  }
}

TEST(AprsLinesTest, ServerAnswers) {
  EXPECT_TRUE(GreetingAccepted("# aprsc 2.1.14-g5e52dce"));
  EXPECT_TRUE(GreetingAccepted("#javAPRSSrvr 4.3 aprs"));
  EXPECT_FALSE(GreetingAccepted("# APRSC 2.1"));
  EXPECT_FALSE(GreetingAccepted("aprsc"));
  EXPECT_FALSE(GreetingAccepted(""));
  EXPECT_EQ(JudgeLoginLine("# logresp ZZ9ZZZ-11 verified, server T2TEST"), LoginVerdict::Verified);
  EXPECT_EQ(JudgeLoginLine("# logresp ZZ9ZZZ-11 unverified, server T2TEST"), LoginVerdict::Failed);
  EXPECT_EQ(JudgeLoginLine("# logresp ZZ9ZZZ-11 refused"), LoginVerdict::Failed);
  EXPECT_EQ(JudgeLoginLine("# aprsc 2.1 verified"), LoginVerdict::Undecided);
  EXPECT_EQ(LoginFailText(Login()),
            "APRS: Login fail [127.0.0.1,ZZ9ZZZ-11,12345]. Reconnect in 5 minutes");
  EXPECT_EQ(AvailableText(0), "");
  EXPECT_EQ(AvailableText(7), "Avail 07");
  EXPECT_EQ(AvailableText(123), "Avail 123");
  EXPECT_EQ(SentReportsText(1), "Tx 1");
}

TEST(AprsLinesTest, ReportGateTakesOnePer20SecondsOfGpsTimeWithAnAgreeingClock) {
  const auto at = [](int day, int h, int m, int s) {
    ObjectReport r = Report();
    r.day = day;
    r.hour = h;
    r.minute = m;
    r.second = s;
    return r;
  };
  const auto pc = [](int day, int secondsOfDay) { return UtcNow{2026, 12, day, secondsOfDay}; };
  ReportGate gate;
  EXPECT_TRUE(gate.Pass(at(10, 12, 0, 0), pc(10, 43200)));
  EXPECT_FALSE(gate.Pass(at(10, 12, 0, 10), pc(10, 43210)));
  EXPECT_TRUE(gate.Pass(at(10, 12, 0, 20), pc(10, 43220)));

  ReportGate midnight;
  EXPECT_TRUE(midnight.Pass(at(10, 23, 59, 50), pc(10, 86390)));
  EXPECT_FALSE(midnight.Pass(at(11, 0, 0, 5), pc(11, 5))) << "86385 s apart counts as 15 s";
  EXPECT_TRUE(midnight.Pass(at(11, 0, 0, 10), pc(11, 10)));

  ReportGate clock;
  EXPECT_FALSE(clock.Pass(at(10, 12, 0, 0), pc(10, 43200 + 600)));
  EXPECT_FALSE(clock.Pass(at(10, 12, 0, 0), pc(10, 43200 - 600)));
  EXPECT_FALSE(clock.Pass(at(10, 12, 0, 0), pc(9, 43200))) << "another date";
  EXPECT_EQ(clock.LastSecondsOfDay(), -50) << "a refused frame is not kept";
  EXPECT_TRUE(clock.Pass(at(10, 12, 0, 0), pc(10, 43200 + 599)));
}

}  // namespace
}  // namespace windlark
