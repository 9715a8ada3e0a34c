// The scan worker on its own thread against a scripted Net Remote service and hamlib's rigctld.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QThread>
#include <mutex>

#include "radio/io/RadioController.h"
#include "radio/io/RadioDevices.h"

namespace windlark {
namespace {

// The worker, its thread, and what it showed, as the window would see it.
class ScanRig {
 public:
  ScanRig(RadioLinkConfig config, ScanSettings settings) {
    m_box.Set(std::move(settings));
    ScanInputs inputs;
    inputs.lockCount = &lockCount;
    inputs.noDataCounter = &noDataCounter;
    inputs.sondeIdKnown = [this] { return sondeKnown.load(); };
    inputs.settings = [this] { return m_box.Get(); };
    worker = new TRadioController(std::move(config), std::move(inputs));
    worker->moveToThread(&thread);
    QObject::connect(&thread, &QThread::started, worker, &TRadioController::Execute);
    QObject::connect(worker, &TRadioController::Finished, &thread, &QThread::quit,
                     Qt::DirectConnection);
    QObject::connect(&thread, &QThread::finished, worker, &QObject::deleteLater);
    QObject::connect(
        worker, &TRadioController::StatusChanged, &m_receiver,
        [this](int, const QString& text, bool, bool) { statuses.push_back(text.toStdString()); });
    QObject::connect(worker, &TRadioController::FrequencyChanged, &m_receiver,
                     [this](const QString& text) { frequencies.push_back(text.toStdString()); });
    QObject::connect(worker, &TRadioController::CountdownChanged, &m_receiver,
                     [this](const QString& text) { countdowns.push_back(text.toStdString()); });
    QObject::connect(worker, &TRadioController::ScanEnded, &m_receiver, [this] { ended = true; });
    QObject::connect(worker, &TRadioController::Finished, &m_receiver, [this] { finished = true; });
    thread.start();
  }
  ~ScanRig() {
    if (!finished) worker->Terminate();
    thread.wait();
  }
  bool WaitStatus(const std::string& text, int ms) {
    return QTest::qWaitFor(
        [&] { return std::find(statuses.begin(), statuses.end(), text) != statuses.end(); }, ms);
  }
  bool WaitFrequency(const std::string& text, int ms) {
    return QTest::qWaitFor(
        [&] {
          return std::find(frequencies.begin(), frequencies.end(), text) != frequencies.end();
        },
        ms);
  }

  std::atomic<std::int32_t> lockCount{0};
  std::atomic<std::int32_t> noDataCounter{0};
  std::atomic<bool> sondeKnown{false};
  QThread thread;
  TRadioController* worker = nullptr;
  std::vector<std::string> statuses;
  std::vector<std::string> frequencies;
  std::vector<std::string> countdowns;
  bool ended = false;
  bool finished = false;

 private:
  ScanSettingsBox m_box;
  QObject m_receiver;
};

RadioLinkConfig NetRemoteAt(int port) {
  RadioLinkConfig config;
  config.port = port;
  return config;
}

TEST(RadioControllerTest, ScansLocksAndEndsAgainstANetRemoteService) {
  test::NetRemoteService service;
  ASSERT_TRUE(service.Listen());
  ScanSettings settings;
  settings.frequenciesHz = {402700000, 405000000};
  settings.restartScan = false;
  ScanRig rig(NetRemoteAt(service.Port()), settings);

  ASSERT_TRUE(rig.WaitFrequency("402.700.000", 5000));
  ASSERT_TRUE(rig.WaitFrequency("405.000.000", 10000));  // after the 5 s dwell
  EXPECT_EQ(std::vector<std::string>(service.raw.begin(), service.raw.begin() + 5),
            (std::vector<std::string>{
                "{\"Command\": \"Get\", \"Method\": \"SourceIsTunable\"}\r\n",
                "{\"Command\": \"Set\", \"Method\": \"centrefrequency\",\"Value\":402900000}\r\n",
                "{\"Command\": \"Set\", \"Method\": \"Frequency\",\"Value\":402700000}\r\n",
                "{\"Command\": \"Set\", \"Method\": \"centrefrequency\",\"Value\":405200000}\r\n",
                "{\"Command\": \"Set\", \"Method\": \"Frequency\",\"Value\":405000000}\r\n"}));
  // The bit slicer locks on preambles, then the decoder finds the identity.
  rig.lockCount = 1;
  ASSERT_TRUE(rig.WaitStatus("Preamble detected", 2000));
  rig.lockCount = 4;
  ASSERT_TRUE(rig.WaitStatus("Preamble locked", 2000));
  rig.sondeKnown = true;
  ASSERT_TRUE(QTest::qWaitFor([&] { return rig.finished; }, 3000));
  EXPECT_TRUE(rig.ended);
  EXPECT_EQ(rig.statuses.back(), "SondeID locked");
  EXPECT_EQ(rig.statuses.front(), "Connecting SDR");
  EXPECT_EQ(rig.statuses[1], "Query NetRemote");
  EXPECT_EQ(rig.statuses[2], "Connected");
  EXPECT_EQ(rig.statuses[3], "Scanning Frequencies");
}

TEST(RadioControllerTest, RescanCountdownShowsAndTerminationIsPrompt) {
  test::NetRemoteService service;
  ASSERT_TRUE(service.Listen());
  ScanSettings settings;
  settings.frequenciesHz = {403900000};
  settings.rescanDelayMin = 5;
  ScanRig rig(NetRemoteAt(service.Port()), settings);
  ASSERT_TRUE(rig.WaitFrequency("403.900.000", 5000));
  rig.lockCount = 3;
  rig.sondeKnown = true;
  ASSERT_TRUE(rig.WaitStatus("Preamble detected", 2000));
  rig.lockCount = 6;
  ASSERT_TRUE(rig.WaitStatus("SondeID locked", 3000));
  ASSERT_TRUE(QTest::qWaitFor([&] { return !rig.countdowns.empty(); }, 2000));
  EXPECT_EQ(rig.countdowns.back(), "5 min");
  // Waiting out its 30 s period, the worker still ends at once when told.
  QElapsedTimer clock;
  clock.start();
  rig.worker->Terminate();
  ASSERT_TRUE(QTest::qWaitFor([&] { return rig.finished; }, 5000));
  EXPECT_LT(clock.elapsed(), 5000);
  EXPECT_EQ(rig.countdowns.back(), "");  // hidden at the end
}

TEST(RadioControllerTest, RefusalsSilenceAndAVanishingServiceAreReportedAndSurvived) {
  test::NetRemoteService service;
  ASSERT_TRUE(service.Listen());
  service.greeting = R"({"Name":"Another Plugin"})";
  ScanSettings settings;
  settings.frequenciesHz = {402700000, 405000000};
  ScanRig rig(NetRemoteAt(service.Port()), settings);
  ASSERT_TRUE(rig.WaitStatus("Connection Fail", 3000));
  // The right greeting: connected on a later attempt (every 5 s).
  service.greeting = R"({"Name":"Net Remote"})";
  bool refuseCentre = true;
  service.respond = [&](const std::string& line) -> std::optional<std::string> {
    if (line.find("SourceIsTunable") != std::string::npos) {
      return R"({"Result":"OK","Method":"SourceIsTunable","Value":true})";
    }
    if (line.find("centrefrequency") != std::string::npos && refuseCentre) {
      refuseCentre = false;
      return R"({"Result":"Error"})";
    }
    return R"({"Result":"OK"})";
  };
  ASSERT_TRUE(rig.WaitStatus("Unable to set Center Freq", 15000));
  ASSERT_TRUE(rig.WaitFrequency("402.700.000", 8000));
  // The service goes away mid-scan: the next tune fails, then every attempt fails.
  service.Drop();
  ASSERT_TRUE(rig.WaitStatus("Frequency change Timeout", 8000));
  rig.statuses.clear();
  ASSERT_TRUE(rig.WaitStatus("Connection Fail", 8000));
  EXPECT_GE(service.connections, 3);
}

TEST(RadioControllerTest, AnUntunableSourceIsReportedAndTheCycleStartsAgain) {
  test::NetRemoteService service;
  ASSERT_TRUE(service.Listen());
  service.respond = [](const std::string&) -> std::optional<std::string> {
    return R"({"Result":"OK","Method":"SourceIsTunable","Value":false})";
  };
  ScanSettings settings;
  settings.frequenciesHz = {402700000};
  ScanRig rig(NetRemoteAt(service.Port()), settings);
  ASSERT_TRUE(rig.WaitStatus("Device Not Tunable", 3000));
  ASSERT_TRUE(QTest::qWaitFor([&] { return service.connections >= 2; }, 8000));
  EXPECT_TRUE(rig.frequencies.empty());
}

TEST(RadioControllerTest, RigctlLinkTunesTheRealRigctld) {
  test::HamlibDaemon rigctld(QStringLiteral("rigctld"));
  if (!rigctld.Available()) GTEST_SKIP() << "rigctld (libhamlib-utils) is not installed";
  const int port = test::UnusedPort();
  ASSERT_TRUE(rigctld.Start(port));
  RadioLinkConfig config;
  config.kind = RadioLinkKind::Rigctl;
  config.port = port;
  ScanSettings settings;
  settings.frequenciesHz = {402700000, 405300000};
  ScanRig rig(config, settings);
  ASSERT_TRUE(rig.WaitFrequency("402.700.000", 5000));
  EXPECT_EQ(rigctld.Ask("f"), std::vector<std::string>{"402700000"});
  ASSERT_TRUE(rig.WaitFrequency("405.300.000", 10000));
  EXPECT_EQ(rigctld.Ask("f"), std::vector<std::string>{"405300000"});
  EXPECT_EQ(rig.statuses[1], "Query rigctl");
  // The daemon ends: the scan says so and keeps trying.
  rigctld.Stop();
  ASSERT_TRUE(rig.WaitStatus("Frequency change Timeout", 10000));
  rig.statuses.clear();
  ASSERT_TRUE(rig.WaitStatus("Connection Fail", 8000));
}

TEST(RadioControllerTest, RigctlRefusingTheFrequencyIsAFailedTune) {
  // A rigctl service whose rig refuses to move (a receiver locked by its user).
  test::NetRemoteService service;
  service.greeting.reset();
  service.respond = [](const std::string& line) -> std::optional<std::string> {
    if (line == "f") return "145000000";
    return "RPRT -11";
  };
  ASSERT_TRUE(service.Listen());
  RadioLinkConfig config;
  config.kind = RadioLinkKind::Rigctl;
  config.port = service.Port();
  ScanSettings settings;
  settings.frequenciesHz = {402700000};
  ScanRig rig(config, settings);
  ASSERT_TRUE(rig.WaitStatus("Unable to set Frequency", 5000));
  EXPECT_TRUE(rig.frequencies.empty());
  EXPECT_NE(std::find(service.raw.begin(), service.raw.end(), "F 402700000\n"), service.raw.end());
}

}  // namespace
}  // namespace windlark
