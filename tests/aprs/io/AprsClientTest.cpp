#include "aprs/io/Aprs.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QTest>
#include <QThread>
#include <cmath>
#include <memory>
#include <utility>
#include <vector>

#include "aprs/io/AprsTestServer.h"
#include "aprs/io/DecodeAprs.h"

namespace windlark::test {
namespace {

using Fb = std::pair<int, int>;

AprsLogin Login(bool home = false) {
  AprsLogin login;
  login.version = "1.15";
  login.loginCallsign = "ZZ9ZZZ-11";
  login.homeCallsign = "ZZ9ZZZ-15";
  login.sendHomePosition = home;
  login.passcode = 12345;
  login.filterLine = "#filter r/44.538600/7.612500/50 -t/pimqstunw";
  return login;
}

ObjectReport Report(int second = 0) {
  ObjectReport r;
  r.sondeId = "S1234567";
  r.year = 2026;
  r.month = 12;
  r.day = 10;
  r.hour = 12;
  r.minute = 0;
  r.second = second;
  r.latitude = 52.2134567;
  r.longitude = -14.1287654;
  r.altitude = 10523.4;
  r.windDirection = 247;
  r.horizontalSpeed = 17.3;
  r.verticalSpeed = 5.12;
  r.frequencyKHz = 404500;
  r.pressureSource = 2;
  r.killState = 1;
  r.killTime = 13000;
  r.auxPresent = {1, 0, 0, 0, 0};
  return r;
}

std::string Object(const std::string& name, const std::string& time,
                   const std::string& position = "4532.18N/00741.52E") {
  return "DL1XYZ-5>APRS,TCPIP*,qAC,T2DE:;" + name + std::string(9 - name.size(), ' ') + "*" + time +
         position + "O087/012/A=034524!wE!!Clb=5.1m/s 403.00MHz Type=RS41-SG";
}

class AprsClientTest : public ::testing::Test {
 protected:
  static TAprs::Timing Fast() {
    TAprs::Timing t;
    t.idleMs = 50;
    t.greetingMs = 1000;
    t.retryShortMs = 150;
    return t;  // the 5-minute retry stays: no test waits for it
  }

  void Start(AprsLogin login = Login(), TAprs::Timing timing = Fast()) {
    login.serverHost = server.Host();
    m_login = login;
    aprs = std::make_unique<TAprs>(timing, [this] { return now; });
    aprs->SetLoginData(login);
    HomePosition home;
    SetHomePosition(home, 44.5386, 7.6125, 250);
    aprs->SetHome(home);
    aprs->moveToThread(&thread);
    QObject::connect(&thread, &QThread::started, aprs.get(), &TAprs::Execute);
    QObject::connect(
        aprs.get(), &TAprs::Feedback, &receiver,
        [this](int w, int l) { feedback.emplace_back(w, l); }, Qt::QueuedConnection);
    QObject::connect(
        aprs.get(), &TAprs::CountText, &receiver,
        [this](const QString& t) {
          countText = t.toStdString();
          ++countSignals;
        },
        Qt::QueuedConnection);
    QObject::connect(
        aprs.get(), &TAprs::SentText, &receiver,
        [this](const QString& t) { sentText = t.toStdString(); }, Qt::QueuedConnection);
    QObject::connect(
        aprs.get(), &TAprs::TrackingReport, &receiver,
        [this](const TrackingPanelTexts& t) { panel.push_back(t); }, Qt::QueuedConnection);
    QObject::connect(
        aprs.get(), &TAprs::LampChanged, &receiver,
        [this](int lamp, int r, int g, int b) { lampLog.emplace_back(lamp, r << 16 | g << 8 | b); },
        Qt::QueuedConnection);
    thread.start();
  }

  void TearDown() override { Stop(); }
  void Stop() {
    if (aprs) aprs->Terminate();
    thread.quit();
    thread.wait();
  }

  bool Saw(Fb f) const { return std::find(feedback.begin(), feedback.end(), f) != feedback.end(); }
  int Count(Fb f) const {
    return static_cast<int>(std::count(feedback.begin(), feedback.end(), f));
  }
  static bool WaitFor(const std::function<bool()>& done, int ms = 5000) {
    return QTest::qWaitFor(done, ms);
  }
  bool Lit(int lamp, int colour) const {
    return std::find(lampLog.begin(), lampLog.end(), std::make_pair(lamp, colour)) != lampLog.end();
  }
  int LitCount(int lamp, int colour) const {
    return static_cast<int>(
        std::count(lampLog.begin(), lampLog.end(), std::make_pair(lamp, colour)));
  }
  // A keepalive comment, and the wait until the client has read it.
  void Keepalive() {
    QTest::qWait(250);  // a quiet read dims the lamp first
    const int before = LitCount(TAprs::kLink, 0xFFFF00);
    server.SendLine("# aprsc 2.1.14 10 Dec 2026 12:00:20 GMT T2TEST 127.0.0.1:14580");
    EXPECT_TRUE(WaitFor([&] { return LitCount(TAprs::kLink, 0xFFFF00) > before; }));
  }
  // A minute tick, and the wait until its ageing pass has run.
  void Tick() {
    const int before = countSignals;
    aprs->MinuteTick();
    EXPECT_TRUE(WaitFor([&] { return countSignals > before || Saw({2, 0}); }));
  }
  bool Running() const { return aprs->State() == AprsState::Running; }
  void ConnectAndRun() {
    aprs->RequestConnect();
    ASSERT_TRUE(WaitFor([&] { return Running() && Saw({1, 0}); }));
  }

  AprsTestServer server;
  QObject receiver;
  QThread thread;
  std::unique_ptr<TAprs> aprs;
  UtcNow now{2026, 12, 10, 12 * 3600};
  AprsLogin m_login;
  std::vector<Fb> feedback;
  std::string countText = "unset";
  int countSignals = 0;  // every ageing pass sends the count
  std::string sentText = "unset";
  std::vector<TrackingPanelTexts> panel;
  std::vector<std::pair<int, int>> lampLog;  // lamp, colour as 0xRRGGBB
};

TEST_F(AprsClientTest, LogsInAndSetsTheFilterByteForByte) {
  ASSERT_TRUE(server.Listening());
  Start();
  EXPECT_EQ(aprs->State(), AprsState::Idle);
  ConnectAndRun();
  EXPECT_EQ(feedback.front(), Fb(-1, 0));
  EXPECT_TRUE(WaitFor([&] { return server.received.size() >= 90; }));
  EXPECT_EQ(server.received.toStdString(),
            " user ZZ9ZZZ-11 pass 12345 vers Windlark 1.15\r\n"
            "#filter r/44.538600/7.612500/50 -t/pimqstunw\r\n");
  EXPECT_TRUE(aprs->IsConnected());
  EXPECT_EQ(countText, "") << "no sonde yet";
}

TEST_F(AprsClientTest, WithTheHomePositionItLogsInAsHomeAndBeacons) {
  Start(Login(true));
  ConnectAndRun();
  ASSERT_TRUE(WaitFor([&] { return server.lines.size() >= 3; }));
  EXPECT_EQ(server.lines[0], " user ZZ9ZZZ-15 pass 12345 vers Windlark 1.15");
  EXPECT_EQ(server.lines[2], "ZZ9ZZZ-15>APRS,TCPIP*:/120000h4432.31N/00736.75E`Windlark Gate!wX!!");
  EXPECT_TRUE(WaitFor([&] { return Lit(TAprs::kTx, 0xA4A4FF); }));
}

TEST_F(AprsClientTest, AGreetingWithoutAprsGetsNoLoginAndARetry) {
  for (const char* greeting : {"# APRSC 2.1\r\n", "hello aprs\r\n", "\r\n", ""}) {
    SCOPED_TRACE(greeting);
    server.greeting = greeting;
    server.received.clear();
    feedback.clear();
    const int before = server.connections;
    if (!aprs) {
      TAprs::Timing t = Fast();
      t.greetingMs = 300;  // the silent server
      Start(Login(), t);
    }
    aprs->RequestConnect();
    ASSERT_TRUE(WaitFor([&] { return server.connections >= before + 2; }))
        << "a new attempt after the short wait";
    EXPECT_TRUE(Saw({0, 0}));
    EXPECT_FALSE(Saw({1, 0}));
    EXPECT_EQ(server.received.toStdString(), "") << "the login line was never sent";
  }
}

TEST_F(AprsClientTest, LoginAnswers) {
  struct Case {
    const char* answer;
    bool verified;
  };
  const Case cases[] = {
      {"# logresp ZZ9ZZZ-11 verified, server T2TEST", true},
      {"# logresp ZZ9ZZZ-11 unverified, server T2TEST", false},
      {"# logresp ZZ9ZZZ-11 refused", false},
      {"", false},  // silence
  };
  Start();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.answer);
    const std::string answer = c.answer;
    server.script = [answer](AprsTestServer& s, const std::string& line) {
      if (line.rfind(" user ", 0) == 0 && !answer.empty()) s.SendLine(answer);
    };
    feedback.clear();
    aprs->RequestConnect();
    if (c.verified) {
      EXPECT_TRUE(WaitFor([&] { return Saw({1, 0}) && Running(); }));
    } else {
      EXPECT_TRUE(WaitFor([&] { return Saw({0, 1}); }));
      EXPECT_EQ(aprs->State(), AprsState::RetryLong);
      EXPECT_FALSE(aprs->IsConnected());
    }
  }
  EXPECT_EQ(LoginFailText(aprs->LoginData()),
            "APRS: Login fail [" + server.Host() + ",ZZ9ZZZ-11,12345]. Reconnect in 5 minutes");
}

TEST_F(AprsClientTest, KeepaliveLossDropsTheConnectionAndMakesItAgain) {
  Start();
  ConnectAndRun();
  Keepalive();
  Tick();
  Keepalive();
  Tick();
  EXPECT_FALSE(Saw({2, 0})) << "a comment came between the ticks";
  EXPECT_TRUE(Lit(TAprs::kLink, 0x000080)) << "dimmed by a quiet read";
  aprs->MinuteTick();
  ASSERT_TRUE(WaitFor([&] { return Saw({2, 0}); })) << "two ticks without a comment";
  EXPECT_TRUE(WaitFor([&] { return server.connections == 2 && Count({1, 0}) == 2; }));
}

TEST_F(AprsClientTest, TheServerClosingMidSessionOrMidLineLeadsToARetry) {
  Start();
  ConnectAndRun();
  server.CloseClient();
  ASSERT_TRUE(WaitFor([&] { return Saw({0, 0}); }));
  ASSERT_TRUE(WaitFor([&] { return server.connections == 2 && Count({1, 0}) == 2; }));
  server.Send(Object("S7777777", "115959h").substr(0, 50));  // no line end
  server.CloseClient();
  ASSERT_TRUE(WaitFor([&] { return Count({0, 0}) == 2; }));
  ASSERT_TRUE(WaitFor([&] { return server.connections == 3 && Count({1, 0}) == 3; }));
  EXPECT_TRUE(aprs->Sondes().empty()) << "half a line is no report";
}

TEST_F(AprsClientTest, GarbageIsIgnoredAndAnEndlessLineIsDropped) {
  Start();
  ConnectAndRun();
  std::string garbage;
  for (int i = 0; i < 3000; ++i) {
    garbage += std::string(1, static_cast<char>(i * 37 % 256)) + ":;" +
               std::string(static_cast<std::size_t>(i % 90), static_cast<char>(i % 256)) + "\n";
  }
  server.Send(garbage);
  server.SendLine(Object("S1111111", "115959h"));
  ASSERT_TRUE(WaitFor([&] { return aprs->Sondes().size() == 1; }, 20000));
  EXPECT_EQ(aprs->State(), AprsState::Running);
  EXPECT_EQ(server.connections, 1);

  server.Send(std::string(100000, 'x'));
  ASSERT_TRUE(WaitFor([&] { return Saw({0, 0}); }));
  ASSERT_TRUE(WaitFor([&] { return server.connections == 2 && Count({1, 0}) == 2; }));
}

TEST_F(AprsClientTest, MonitoringListsTheSondesAndTrackingNarrowsToOne) {
  Start();
  ConnectAndRun();
  server.SendLine(Object("S3", "115900h"));
  server.SendLine(Object("S1", "115900h"));
  server.SendLine(Object("S2", "101158z"));
  server.SendLine(Object("S4", "120600h"));  // 6 minutes ahead of the clock
  server.SendLine(Object("S5", "11a900h"));  // unreadable time: skipped
  server.SendLine("DL1XYZ-5>APRS:;S6       *115900h4532.18N/00741.52E>087/012/A=034524");
  ASSERT_TRUE(WaitFor([&] { return countText == "Avail 03"; }));
  EXPECT_EQ(aprs->SondeNames(), (std::vector<std::string>{"S3", "S1", "S2"}));
  EXPECT_EQ(aprs->Sondes()[2].hour, 11);
  EXPECT_EQ(aprs->Sondes()[2].minute, 58);

  aprs->StartTracking("S2");
  ASSERT_TRUE(WaitFor([&] { return countText == "Lock"; }));
  EXPECT_EQ(server.LinesStartingWith("#filter").back(), "#filter o/S2");
  EXPECT_EQ(server.lines[server.lines.size() - 2], "#filter default");
  EXPECT_EQ(aprs->SondeNames(), std::vector<std::string>{"S2"});
  EXPECT_TRUE(aprs->Tracking());
  server.SendLine(Object("S1", "115930h"));
  server.SendLine(Object("S2", "115930h", "3300.00S/07000.00W"));
  ASSERT_TRUE(WaitFor([&] { return !panel.empty(); }));
  EXPECT_EQ(panel.back().sondeId, "S2");
  EXPECT_EQ(panel.back().time, "11:59:30 UTC");
  EXPECT_EQ(panel.back().source, "DL1XYZ-5");
  EXPECT_EQ(panel.back().latitude.back(), 'S');
  EXPECT_EQ(aprs->SondeNames(), std::vector<std::string>{"S2"});
  for (int tick = 0; tick < 7; ++tick) {
    Keepalive();
    Tick();
  }
  EXPECT_EQ(aprs->SondeNames(), std::vector<std::string>{"S2"}) << "a tracked sonde stays";

  aprs->StartMonitoring();
  ASSERT_TRUE(WaitFor([&] { return countText == "Avail 01"; }));
  EXPECT_EQ(server.lines.back(), m_login.filterLine);
  EXPECT_FALSE(aprs->Tracking());
}

TEST_F(AprsClientTest, TrackingAHostileNameSendsOnlyItsSafeCharacters) {
  Start();
  ConnectAndRun();
  aprs->StartTracking("S1\r\n#filter r/0/0/9999 b/*");
  ASSERT_TRUE(WaitFor([&] { return server.LinesStartingWith("#filter o/").size() == 1; }));
  EXPECT_EQ(server.LinesStartingWith("#filter o/")[0], "#filter o/S1filterr");
  EXPECT_EQ(server.LinesStartingWith("#filter r").size(), 1u) << "only the login's own filter";
}

TEST_F(AprsClientTest, ReportsGoOutOncePer20SecondsAndDecodeBack) {
  Start(Login(true));
  // Queued before the login: it goes out right after it.
  aprs->QueueObjectReport(Report(0));
  ConnectAndRun();
  ASSERT_TRUE(WaitFor([&] { return sentText == "Tx 1"; }));
  aprs->QueueObjectReport(Report(10));
  aprs->QueueObjectReport(Report(20));
  ASSERT_TRUE(WaitFor([&] { return sentText == "Tx 2"; }));
  const std::vector<std::string> objects =
      server.LinesStartingWith("ZZ9ZZZ-11>APRS,qAO,ZZ9ZZZ-15:;");
  ASSERT_EQ(objects.size(), 2u);
  EXPECT_NE(objects[0].find("*120000h"), std::string::npos);
  EXPECT_NE(objects[1].find("*120020h"), std::string::npos);
  ASSERT_EQ(aprs->Sondes().size(), 1u) << "the own sonde is in the list";
  EXPECT_TRUE(aprs->Sondes()[0].ownSonde);
  EXPECT_EQ(aprs->Sondes()[0].second, 20);

  if (!HaveDecodeAprs()) GTEST_SKIP() << "decode_aprs (Debian package direwolf) is not installed";
  const ObjectReport sent = Report(20);
  const auto decoded = DecodeAprs(objects[1]);
  ASSERT_TRUE(decoded) << objects[1];
  EXPECT_NE(decoded->text.find("Object, \"S1234567\""), std::string::npos) << decoded->text;
  // The DAO digits bring the position within a quarter metre; without them it would be 9 m.
  EXPECT_NEAR(decoded->latitude, sent.latitude, 2.5e-6) << decoded->text;
  EXPECT_NEAR(decoded->longitude, sent.longitude, 2.5e-6) << decoded->text;
  ASSERT_TRUE(decoded->course && decoded->speedMph && decoded->altitudeFt) << decoded->text;
  EXPECT_EQ(*decoded->course, 67);
  EXPECT_NEAR(*decoded->speedMph, sent.horizontalSpeed * 2.23694, 1.2);
  EXPECT_EQ(*decoded->altitudeFt, 34526);
  EXPECT_EQ(decoded->comment,
            "Clb=5.1m/s 404.50MHz Type=RS41-SGP Aux[O3] BK=Timed(013000h) Windlark 1.15");

  const std::vector<std::string> beacons = server.LinesStartingWith("ZZ9ZZZ-15>APRS,TCPIP*:/");
  ASSERT_FALSE(beacons.empty());
  const auto home = DecodeAprs(beacons[0]);
  ASSERT_TRUE(home) << beacons[0];
  EXPECT_NEAR(home->latitude, 44.5386, 2.5e-6) << home->text;
  EXPECT_NEAR(home->longitude, 7.6125, 2.5e-6) << home->text;
  EXPECT_EQ(home->comment, "Windlark Gate");
}

TEST_F(AprsClientTest, EveryHemisphereDecodesBackWithItsDaoPrecision) {
  if (!HaveDecodeAprs()) GTEST_SKIP() << "decode_aprs (Debian package direwolf) is not installed";
  struct Case {
    double latitude, longitude, altitude, wind, speed;
  };
  const Case cases[] = {
      {-45.5, 7.5, 5, 270, 3},
      {33.123456, -120.25, 30999.9, 0, 45.2},
      // Dire Wolf takes the DAO digits' side from the sign of the number, not the letter: within
      // 0.01' south of the equator it reads them northwards, so that case stays with our parser.
      {-0.123456, -0.987654, 1234, 359, 0.4},
      {44.9999999, 179.9999999, 18000, 90.4, 12},  // both minutes carry into the degrees
  };
  Start();
  ConnectAndRun();
  std::vector<ObjectReport> sent;
  for (const Case& c : cases) {
    ObjectReport r = Report();
    const int t = static_cast<int>(sent.size()) * 20;
    r.minute = t / 60;
    r.second = t % 60;
    r.latitude = c.latitude;
    r.longitude = c.longitude;
    r.altitude = c.altitude;
    r.windDirection = c.wind;
    r.horizontalSpeed = c.speed;
    aprs->QueueObjectReport(r);
    sent.push_back(r);
    const std::string tx = "Tx " + std::to_string(sent.size());
    ASSERT_TRUE(WaitFor([&] { return sentText == tx; }));
  }
  const std::vector<std::string> lines = server.LinesStartingWith("ZZ9ZZZ-11>APRS,TCPIP*:;");
  ASSERT_EQ(lines.size(), sent.size());
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const auto d = DecodeAprs(lines[i]);
    ASSERT_TRUE(d) << lines[i];
    EXPECT_NEAR(d->latitude, sent[i].latitude, 2.5e-6) << d->text;
    EXPECT_NEAR(d->longitude, sent[i].longitude, 2.5e-6) << d->text;
    ASSERT_TRUE(d->course && d->speedMph && d->altitudeFt) << d->text;
    EXPECT_EQ(*d->course, (static_cast<int>(std::lround(sent[i].windDirection)) + 180) % 360)
        << d->text;
    EXPECT_NEAR(*d->speedMph, sent[i].horizontalSpeed * 2.23694, 1.2) << d->text;
    EXPECT_EQ(*d->altitudeFt, std::lround(sent[i].altitude * 3.28084)) << d->text;
    EXPECT_EQ(d->comment,
              "Clb=5.1m/s 404.50MHz Type=RS41-SGP Aux[O3] BK=Timed(013000h) Windlark 1.15");
  }
}

TEST_F(AprsClientTest, ClosingEndsEvenTheFiveMinuteWaitAtOnce) {
  server.script = [](AprsTestServer& s, const std::string& line) {
    if (line.rfind(" user ", 0) == 0) s.SendLine("# logresp ZZ9ZZZ-11 unverified");
  };
  Start();
  aprs->RequestConnect();
  ASSERT_TRUE(WaitFor([&] { return Saw({0, 1}); }));
  QTest::qWait(100);
  QElapsedTimer clock;
  clock.start();
  Stop();
  EXPECT_LT(clock.elapsed(), 2000) << "the 5-minute wait ended at once";
}

TEST_F(AprsClientTest, SwitchingOffEndsARetryAndSwitchingOnAgainConnects) {
  server.greeting = "nope\r\n";
  TAprs::Timing t = Fast();
  t.retryShortMs = 300000;
  Start(Login(), t);
  aprs->RequestConnect();
  ASSERT_TRUE(WaitFor([&] { return aprs->State() == AprsState::RetryShort; }));
  aprs->RequestDisconnect();
  ASSERT_TRUE(WaitFor([&] { return aprs->State() == AprsState::Idle; }));
  EXPECT_FALSE(aprs->IsDisconnectRequested());
  server.greeting = "# aprsc 2.1.14\r\n";
  aprs->RequestDisconnect();
  aprs->RequestConnect();  // off and on again before the client saw the first
  ASSERT_TRUE(WaitFor([&] { return Running(); }));
}

TEST_F(AprsClientTest, ARefusedConnectionRetriesWithoutEnd) {
  QTcpServer probe;
  ASSERT_TRUE(probe.listen(QHostAddress(QStringLiteral("127.0.0.1")), 0));
  const std::string host = "127.0.0.1:" + std::to_string(probe.serverPort());
  probe.close();  // nobody listens there now
  Start();
  AprsLogin login = m_login;
  login.serverHost = host;
  aprs->SetLoginData(login);
  aprs->RequestConnect();
  ASSERT_TRUE(WaitFor([&] { return Count({0, 0}) >= 3; }));
  EXPECT_FALSE(Saw({1, 0}));
  EXPECT_GE(Count({-1, 0}), 3);
}

}  // namespace
}  // namespace windlark::test
