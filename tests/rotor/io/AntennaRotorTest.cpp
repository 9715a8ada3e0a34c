// The rotor link on its own thread against a scripted controller on a socat pty pair, the AZ/EL
// files, and hamlib's rotctld with its dummy rotor.
#include <gtest/gtest.h>

#include <QThread>
#include <algorithm>

#include "radio/io/RadioDevices.h"
#include "rotor/RotorStore.h"
#include "rotor/io/AntennaRotor.h"
#include "rotor/io/RotorDevices.h"

namespace windlark {
namespace {

// The link, its thread, and what it showed.
class LinkRig {
 public:
  explicit LinkRig(RotorLinkConfig config) {
    link = new TAntennaRotor(std::move(config));
    link->moveToThread(&thread);
    QObject::connect(&thread, &QThread::started, link, &TAntennaRotor::Execute);
    QObject::connect(link, &TAntennaRotor::Finished, &thread, &QThread::quit, Qt::DirectConnection);
    QObject::connect(&thread, &QThread::finished, link, &QObject::deleteLater);
    QObject::connect(link, &TAntennaRotor::LinkStatus, &m_receiver,
                     [this](const QString& text) { linkTexts.push_back(text.toStdString()); });
    QObject::connect(link, &TAntennaRotor::RotorStatus, &m_receiver,
                     [this](const QString& text) { rotorTexts.push_back(text.toStdString()); });
    QObject::connect(link, &TAntennaRotor::Position, &m_receiver,
                     [this](const QString& azimuth, const QString& elevation) {
                       positions.emplace_back(azimuth.toStdString(), elevation.toStdString());
                     });
    QObject::connect(link, &TAntennaRotor::Opened, &m_receiver, [this](bool ok) { opened = ok; });
    QObject::connect(link, &TAntennaRotor::Lost, &m_receiver, [this] { lost = true; });
    QObject::connect(link, &TAntennaRotor::Finished, &m_receiver, [this] { finished = true; });
    thread.start();
  }
  ~LinkRig() {
    if (!finished) link->Terminate();
    thread.wait();
  }
  bool WaitRotor(const std::string& text, int ms = 5000) {
    return QTest::qWaitFor(
        [&] { return std::find(rotorTexts.begin(), rotorTexts.end(), text) != rotorTexts.end(); },
        ms);
  }
  bool WaitPosition(const std::string& azimuth, const std::string& elevation, int ms = 5000) {
    return QTest::qWaitFor(
        [&] { return !positions.empty() && positions.back() == std::pair(azimuth, elevation); },
        ms);
  }

  QThread thread;
  TAntennaRotor* link = nullptr;
  std::vector<std::string> linkTexts;
  std::vector<std::string> rotorTexts;
  std::vector<std::pair<std::string, std::string>> positions;
  std::optional<bool> opened;
  bool lost = false;
  bool finished = false;

 private:
  QObject m_receiver;
};

class AntennaRotorTest : public testing::Test {
 protected:
  std::filesystem::path Dir(const std::string& name) const {
    return std::filesystem::path(testing::TempDir()) / "antenna-rotor" /
           testing::UnitTest::GetInstance()->current_test_info()->name() / name;
  }
  RotorLinkConfig Serial(int protocol, const test::RotorController& controller) const {
    RotorLinkConfig config;
    config.protocol = protocol;
    config.portName = QString::fromStdString(controller.Device());
    config.baudRate = 9600;
    config.queryPeriodS = 0;
    return config;
  }
};

TEST_F(AntennaRotorTest, Gs232MovesStopsAndReadsBothReplyForms) {
  test::RotorController controller(Dir("pty"));
  ASSERT_TRUE(controller.Start());
  std::string positionReply = "AZ=123EL=045\r";
  controller.respond = [&](const std::string& command) -> std::optional<std::string> {
    if (command == "c2") return positionReply;
    return std::string("\r");
  };
  LinkRig rig(Serial(0, controller));
  ASSERT_TRUE(QTest::qWaitFor([&] { return rig.opened.has_value(); }, 5000));
  ASSERT_TRUE(*rig.opened);
  EXPECT_EQ(rig.linkTexts.back(), "Serial: " + controller.Device() + " Opened 9600 bps");
  ASSERT_TRUE(rig.WaitPosition("123\u00B0", "045\u00B0", 8000));
  EXPECT_EQ(rig.rotorTexts.back(), "Rotor [C2]: Ok");

  rig.link->MoveTo(5, 0);
  ASSERT_TRUE(rig.WaitRotor("Rotor [W]: Ok"));
  rig.link->MoveTo(100, -2);
  ASSERT_TRUE(QTest::qWaitFor(
      [&] {
        return std::find(controller.commands.begin(), controller.commands.end(), "W100 -002") !=
               controller.commands.end();
      },
      5000));
  rig.link->StopRotor();
  ASSERT_TRUE(rig.WaitRotor("Rotor [S]: Ok"));
  EXPECT_NE(controller.received.find("W005 000\r"), std::string::npos);
  EXPECT_NE(controller.received.find("S\r"), std::string::npos);
  EXPECT_NE(controller.received.find("c2\r"), std::string::npos);
  EXPECT_EQ(controller.received.find("C2"), std::string::npos);

  positionReply = "+0234+0012\r";
  ASSERT_TRUE(rig.WaitPosition("234\u00B0", "012\u00B0", 8000));
  positionReply = "az=200el=030";
  ASSERT_TRUE(rig.WaitPosition("200\u00B0", "030\u00B0", 8000));
}

TEST_F(AntennaRotorTest, Gs232SilenceAndGarbageAreReportedAndTheLinkKeepsRunning) {
  test::RotorController controller(Dir("pty"));
  ASSERT_TRUE(controller.Start());
  std::string positionReply = "AZ=123 EL=045";
  bool silent = false;
  controller.respond = [&](const std::string& command) -> std::optional<std::string> {
    if (silent) return std::nullopt;
    if (command == "c2") return positionReply;
    return std::string("\r");
  };
  LinkRig rig(Serial(0, controller));
  ASSERT_TRUE(rig.WaitRotor("Rotor [C2]: Fail - format", 8000));
  positionReply = "\x13\x7f#garbage";
  rig.rotorTexts.clear();
  ASSERT_TRUE(rig.WaitRotor("Rotor [C2]: Fail - format", 8000));
  silent = true;
  ASSERT_TRUE(rig.WaitRotor("Rotor [C2]: Fail - no data", 8000));
  rig.link->MoveTo(45, 10);
  ASSERT_TRUE(rig.WaitRotor("Rotor [W]: Fail", 8000));
  rig.link->StopRotor();
  ASSERT_TRUE(rig.WaitRotor("Rotor [S]: Fail", 8000));
  silent = false;
  positionReply = "AZ=045EL=010";
  ASSERT_TRUE(rig.WaitPosition("045\u00B0", "010\u00B0", 8000));
  EXPECT_FALSE(rig.finished);
}

TEST_F(AntennaRotorTest, EasyCommAndRawSendExactLines) {
  for (const int protocol : {2, 3}) {
    test::RotorController controller(Dir("pty" + std::to_string(protocol)));
    ASSERT_TRUE(controller.Start());
    LinkRig rig(Serial(protocol, controller));
    ASSERT_TRUE(QTest::qWaitFor([&] { return rig.opened.has_value(); }, 5000));
    ASSERT_TRUE(*rig.opened);
    EXPECT_EQ(rig.rotorTexts.front(), "Rotor: N/A");
    rig.link->MoveTo(5, 0);
    ASSERT_TRUE(rig.WaitPosition("005\u00B0", "000\u00B0"));
    rig.link->StopRotor();  // never acted on
    rig.link->MoveTo(45, -2);
    ASSERT_TRUE(rig.WaitPosition("045\u00B0", "-002\u00B0"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return controller.commands.size() >= 2; }, 3000));
    const std::string expected =
        protocol == 2 ? "AZ005.0 EL000.0\rAZ045.0 EL-002.0\r" : "005 000\r\n045 -002\r\n";
    EXPECT_EQ(controller.received, expected) << protocol;
    EXPECT_EQ(rig.rotorTexts, std::vector<std::string>{"Rotor: N/A"}) << protocol;
  }
}

TEST_F(AntennaRotorTest, AVanishingPortIsClosedAndReported) {
  for (const int protocol : {0, 3}) {
    test::RotorController controller(Dir("pty" + std::to_string(protocol)));
    ASSERT_TRUE(controller.Start());
    controller.respond = [](const std::string&) { return std::optional<std::string>("\r"); };
    LinkRig rig(Serial(protocol, controller));
    ASSERT_TRUE(QTest::qWaitFor([&] { return rig.opened.value_or(false); }, 5000));
    controller.Stop();
    // One-way links notice when they next write.
    rig.link->MoveTo(10, 10);
    ASSERT_TRUE(QTest::qWaitFor([&] { return rig.finished; }, 8000)) << protocol;
    EXPECT_TRUE(rig.lost);
    EXPECT_EQ(rig.linkTexts.back(), "Serial: " + controller.Device() + " port lost");
  }
}

TEST_F(AntennaRotorTest, APortThatIsNotThereEndsTheLink) {
  RotorLinkConfig config;
  config.protocol = 0;
  config.portName = QString::fromStdString(Dir("none").string() + "/ttyUSB9");
  LinkRig rig(config);
  ASSERT_TRUE(QTest::qWaitFor([&] { return rig.finished; }, 5000));
  EXPECT_EQ(rig.opened, false);
  EXPECT_EQ(rig.linkTexts.back(), "Serial: Cannot open " + config.portName.toStdString() + " port");
}

TEST_F(AntennaRotorTest, TheFileStoreHoldsTheLastMove) {
  RotorLinkConfig config;
  config.protocol = 1;
  config.storeDir = QString::fromStdString(Dir("state").string());
  LinkRig rig(config);
  rig.link->MoveTo(5, 0);
  ASSERT_TRUE(rig.WaitPosition("005\u00B0", "000\u00B0"));
  RotorStore store(Dir("state"));
  EXPECT_EQ(store.Read("AZ"), "005");
  EXPECT_EQ(store.Read("EL"), "000");
  rig.link->MoveTo(123, -2);
  ASSERT_TRUE(rig.WaitPosition("123\u00B0", "-002\u00B0"));
  EXPECT_EQ(store.Read("EL"), "-002");
  EXPECT_EQ(rig.rotorTexts, std::vector<std::string>{"Rotor: N/A"});
}

TEST_F(AntennaRotorTest, RotctldMovesStopsAndReportsTheDummyRotor) {
  test::HamlibDaemon rotctld(QStringLiteral("rotctld"));
  if (!rotctld.Available()) GTEST_SKIP() << "rotctld (libhamlib-utils) is not installed";
  const int port = test::UnusedPort();
  ASSERT_TRUE(rotctld.Start(port));
  RotorLinkConfig config;
  config.protocol = 4;
  config.rotctldPort = port;
  config.queryPeriodS = 0;
  LinkRig rig(config);
  ASSERT_TRUE(QTest::qWaitFor([&] { return rig.opened.has_value(); }, 5000));
  ASSERT_TRUE(*rig.opened);
  EXPECT_EQ(rig.linkTexts.back(), "rotctld: 127.0.0.1:" + std::to_string(port) + " Connected");
  rig.link->MoveTo(45, 10);
  ASSERT_TRUE(rig.WaitRotor("Rotor [P]: Ok"));
  // The dummy rotor turns at its own pace; the poll follows it there.
  ASSERT_TRUE(rig.WaitPosition("045\u00B0", "010\u00B0", 30000));
  const std::vector<std::string> position = rotctld.Ask("p", 2);
  ASSERT_EQ(position.size(), 2U);
  // Read as the daemon writes them (a "." whatever the test's locale).
  EXPECT_NEAR(QString::fromStdString(position[0]).toDouble(), 45.0, 1.0);
  EXPECT_NEAR(QString::fromStdString(position[1]).toDouble(), 10.0, 1.0);
  rig.link->MoveTo(90, 40);
  ASSERT_TRUE(rig.WaitRotor("Rotor [P]: Ok"));
  rig.link->StopRotor();
  ASSERT_TRUE(rig.WaitRotor("Rotor [S]: Ok"));
  // A target the rotor refuses (below its elevation range) is a failed move.
  rig.link->MoveTo(10, -30);
  ASSERT_TRUE(rig.WaitRotor("Rotor [P]: Fail"));
  rotctld.Stop();
  ASSERT_TRUE(QTest::qWaitFor([&] { return rig.finished; }, 8000));
  EXPECT_TRUE(rig.lost);
  EXPECT_EQ(rig.linkTexts.back(),
            "rotctld: 127.0.0.1:" + std::to_string(port) + " connection lost");
}

TEST_F(AntennaRotorTest, RotctldNotRunningIsReported) {
  RotorLinkConfig config;
  config.protocol = 4;
  config.rotctldPort = test::UnusedPort();
  LinkRig rig(config);
  ASSERT_TRUE(QTest::qWaitFor([&] { return rig.finished; }, 8000));
  EXPECT_EQ(rig.opened, false);
  EXPECT_EQ(rig.linkTexts.back(),
            "rotctld: Cannot connect 127.0.0.1:" + std::to_string(config.rotctldPort));
}

}  // namespace
}  // namespace windlark
