// The main window's radio group and start/stop pair against a local Net Remote service, and the
// decoder's look angles reaching the antenna rotor window.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QToolButton>

#include "app/ui/LampShape.h"
#include "app/ui/MainFormRig.h"
#include "decoder/FrameDecoder.h"
#include "decoder/Geodesy.h"
#include "radio/io/RadioDevices.h"
#include "rotor/RotorStore.h"
#include "rotor/ui/RotorHandler.h"
#include "support/TestSignal.h"

namespace windlark {
namespace {

using test::MainFormTest;

class MainFormRadioTest : public MainFormTest {
 protected:
  std::unique_ptr<TmainForm> RadioWindow(std::vector<int> frequencies, int port, bool restartScan) {
    auto window = MakeWindow();
    Start(*window);
    AppliedSettings applied = window->Settings();
    applied.radio.frequenciesHz = std::move(frequencies);
    applied.radio.netRemotePort = port;
    applied.radio.restartScan = restartScan;
    window->ApplySettings(applied);
    return window;
  }
  static QLabel* Status(TmainForm& window) {
    return window.Widgets().readOuts[static_cast<std::size_t>(ReadOut::RadioStatus)];
  }
  static bool WaitStatus(TmainForm& window, const QString& text, int ms) {
    return QTest::qWaitFor([&] { return Status(window)->text() == text; }, ms);
  }
};

TEST_F(MainFormRadioTest, AnEmptyFrequencyListStartsNothing) {
  auto window = RadioWindow({}, 3382, true);
  Button(*window, "SBStartRadio")->click();
  ASSERT_EQ(m_prompts.messages.size(), 1U);
  EXPECT_EQ(m_prompts.messages[0].second,
            "Frequency list empty. Please add some in setting->RadioInterface");
  EXPECT_FALSE(window->RadioRunning());
  EXPECT_TRUE(window->Widgets().stopRadio->isChecked());
  EXPECT_FALSE(window->Widgets().startRadio->isChecked());
}

TEST_F(MainFormRadioTest, ScanShowsInTheRadioGroupUntilTheSondeIsLocked) {
  test::NetRemoteService service;
  ASSERT_TRUE(service.Listen());
  auto window = RadioWindow({405000000}, service.Port(), false);
  Button(*window, "SBStartRadio")->click();
  EXPECT_TRUE(window->RadioRunning());
  Button(*window, "SBStartRadio")->click();  // pressed already: nothing new starts
  ASSERT_TRUE(WaitStatus(*window, "Scanning Frequencies", 5000));
  ASSERT_TRUE(QTest::qWaitFor(
      [&] { return window->Widgets().radioFrequency->text() == "405.000.000"; }, 3000));
  EXPECT_EQ(window->Widgets().radioLamp->Colour(), QColor(0, 255, 255));
  EXPECT_EQ(service.connections, 1);

  SondeState& state = window->Chain().State();
  state.lockCount = 1;
  ASSERT_TRUE(WaitStatus(*window, "Preamble detected", 2000));
  state.lockCount = 4;
  ASSERT_TRUE(WaitStatus(*window, "Preamble locked", 2000));
  state.sondeId = "V4150123";
  ASSERT_TRUE(WaitStatus(*window, "SondeID locked", 2000));
  EXPECT_TRUE(Status(*window)->font().bold());
  ASSERT_TRUE(QTest::qWaitFor([&] { return !window->RadioRunning(); }, 3000));
  EXPECT_TRUE(window->Widgets().stopRadio->isChecked());
  EXPECT_EQ(window->Widgets().radioLamp->Colour(), QColor(0, 0, 128));
  // The pair is ready for a new scan.
  Button(*window, "SBStartRadio")->click();
  EXPECT_TRUE(window->RadioRunning());
}

TEST_F(MainFormRadioTest, StopShowsNotActiveAndFailuresShowRed) {
  const int port = test::UnusedPort();
  auto window = RadioWindow({402700000}, port, true);
  Button(*window, "SBStartRadio")->click();
  ASSERT_TRUE(WaitStatus(*window, "Connection Fail", 5000));
  EXPECT_TRUE(Status(*window)->font().bold());
  EXPECT_NE(Status(*window)->styleSheet().indexOf("255, 0, 0"), -1);
  Button(*window, "SBStopRadio")->click();
  EXPECT_EQ(Status(*window)->text(), "Not Active");
  EXPECT_FALSE(Status(*window)->font().bold());
  EXPECT_FALSE(window->RadioRunning());
  EXPECT_FALSE(window->Widgets().rescanCountdown->isVisible());
  EXPECT_EQ(window->Widgets().radioLamp->Colour(), QColor(0, 0, 128));
  // Late reports of the ended worker leave the group alone.
  QTest::qWait(300);
  EXPECT_EQ(Status(*window)->text(), "Not Active");
}

TEST_F(MainFormRadioTest, LoadingARawFileStopsTheScanFirst) {
  test::NetRemoteService service;
  ASSERT_TRUE(service.Listen());
  auto window = RadioWindow({405000000}, service.Port(), true);
  Button(*window, "SBStartRadio")->click();
  ASSERT_TRUE(WaitStatus(*window, "Scanning Frequencies", 5000));
  m_prompts.openAnswer = QString::fromStdString(Path("missing.txt").string());
  Button(*window, "SBLoadRawFile")->click();
  EXPECT_FALSE(window->RadioRunning());
  EXPECT_EQ(Status(*window)->text(), "Not Active");
  EXPECT_TRUE(window->Widgets().stopRadio->isChecked());
  ASSERT_TRUE(QTest::qWaitFor([&] { return !window->ReplayRunning(); }, 5000));
}

TEST_F(MainFormRadioTest, TheDecodersLookAnglesDriveTheTrackingRotor) {
  const std::filesystem::path store = Path("state") / "Rotor";
  m_options = [&](TmainForm::Options& options) {
    options.rotorStateDir = QString::fromStdString(store.string());
  };
  auto window = MakeWindow();
  Start(*window);
  AppliedSettings applied = window->Settings();
  applied.rotor.protocol = 1;
  window->ApplySettings(applied);
  Button(*window, "SBRotor")->click();
  TRotorHandler& rotor = window->RotorHandler();
  EXPECT_TRUE(rotor.isVisible());
  rotor.findChild<QPushButton*>("ButtonConnect")->click();
  rotor.findChild<QPushButton*>("ButtonStartTracking")->click();
  ASSERT_TRUE(rotor.Tracking());

  // A sonde 20 km north of the default home, 5 km up.
  test::FrameSpec frame;
  const EcefMetres ecef = GeodeticToEcef(44.7186, 7.6125, 5000);
  frame.ecefXcm = ecef.x * 100;
  frame.ecefYcm = ecef.y * 100;
  frame.ecefZcm = ecef.z * 100;
  ReceiveChain& chain = window->Chain();
  DecodeFrame(test::ToRawFrame(test::BuildFrame(frame)), chain.State(), chain.Log(),
              chain.Context());
  ASSERT_TRUE(QTest::qWaitFor([&] { return RotorStore(store).Read("AZ").has_value(); }, 3000));
  EXPECT_TRUE(rotor.LastAzimuth() == 0 || rotor.LastAzimuth() == 360) << rotor.LastAzimuth();
  EXPECT_GT(rotor.LastElevation(), 0);
}

}  // namespace
}  // namespace windlark
