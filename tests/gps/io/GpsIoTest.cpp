// The station GPS through the main window: a serial line made by socat, and Debian's gpsd.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <QAbstractButton>
#include <QStandardPaths>
#include <cmath>

#include "app/ui/MainFormRig.h"
#include "decoder/FrameDecoder.h"
#include "gps/io/StationDevices.h"
#include "gps/ui/GpsInUnit.h"
#include "support/TestSignal.h"

namespace windlark {
namespace {

using test::MainFormTest;
using Value = TGpsInForm::Value;

constexpr const char* kExample =
    "$GPGGA,123519.00,4432.316,N,00736.750,E,1,08,0.9,245.3,M,46.9,M,,*6E\r\n";

// A sentence with its checksum (gpsd drops sentences whose checksum is wrong).
std::string Nmea(const std::string& body) {
  unsigned sum = 0;
  for (const char c : body) sum ^= static_cast<unsigned char>(c);
  const char* hex = "0123456789ABCDEF";
  return "$" + body + "*" + hex[sum >> 4U] + hex[sum & 15U] + "\r\n";
}

class GpsInTest : public MainFormTest {
 protected:
  std::unique_ptr<TmainForm> GpsWindow(const GpsInSettings& gps) {
    auto window = MakeWindow();
    Start(*window);
    AppliedSettings applied = window->Settings();
    applied.gps = gps;
    applied.gpsInEnabled = true;
    window->ApplySettings(applied);
    return window;
  }
  static bool HomeAt(const TmainForm& window, double latitude, double longitude) {
    return std::fabs(window.Home().latitude - latitude) < 1e-9 &&
           std::fabs(window.Home().longitude - longitude) < 1e-9;
  }
  // A sonde 20 km north of the default home, so the tracking read-outs have something to show.
  static void DecodeSonde(TmainForm& window) {
    test::FrameSpec frame;
    const EcefMetres ecef = GeodeticToEcef(44.7186, 7.6125, 5000);
    frame.ecefXcm = ecef.x * 100;
    frame.ecefYcm = ecef.y * 100;
    frame.ecefZcm = ecef.z * 100;
    ReceiveChain& chain = window.Chain();
    DecodeFrame(test::ToRawFrame(test::BuildFrame(frame)), chain.State(), chain.Log(),
                chain.Context());
  }
};

TEST_F(GpsInTest, SerialSentencesMoveTheHomeAndFillTheWindow) {
  test::PtyPair line(Path("pty"));
  std::filesystem::create_directories(Path("pty"));
  ASSERT_TRUE(line.Start());
  GpsInSettings gps;
  gps.portName = line.Device();
  gps.speedIndex = 6;  // 57600 Bd
  auto window = GpsWindow(gps);
  DecodeSonde(*window);
  const std::string bearingBefore = window->Panels().Text(ReadOut::Bearing);
  int homeChanges = 0;
  QObject::connect(window.get(), &TmainForm::HomeChanged, [&] { ++homeChanges; });

  Button(*window, "SBGpsIn")->click();
  ASSERT_TRUE(window->GpsRunning())
      << (m_prompts.messages.empty() ? std::string()
                                     : m_prompts.messages.back().second.toStdString());
  TGpsInForm& form = window->GpsInForm();
  EXPECT_TRUE(form.isVisible());
  EXPECT_EQ(form.windowTitle(),
            QStringLiteral("GPS in (%1)").arg(QString::fromStdString(gps.portName)));
  EXPECT_EQ(form.Text(Value::Time), QString());
  EXPECT_EQ(form.LampColour(), QColor(0, 0, 128));

  // The port is set as asked (the pty keeps the speed it was given).
  if (const int fd = ::open(line.Device().c_str(), O_RDONLY | O_NOCTTY | O_NONBLOCK); fd >= 0) {
    termios settings{};
    ASSERT_EQ(::tcgetattr(fd, &settings), 0);
    EXPECT_EQ(::cfgetispeed(&settings), static_cast<speed_t>(B57600));
    ::close(fd);
  }

  // Garbage, another sentence, then the example split across two writes.
  ASSERT_TRUE(line.Send("\x01\xfe garbage\r\n$GPRMC,123519,A,4807.038,N,01131.000,E,,,,,*6A\r\n"));
  const std::string example = kExample;
  ASSERT_TRUE(line.Send(example.substr(0, 30)));
  QTest::qWait(300);
  EXPECT_TRUE(HomeAt(*window, 44.5386, 7.6125)) << "the settings' home, untouched";
  ASSERT_TRUE(line.Send(example.substr(30)));
  ASSERT_TRUE(
      QTest::qWaitFor([&] { return form.Text(Value::Fix) == QStringLiteral("GPS"); }, 5000));
  EXPECT_EQ(form.Text(Value::Time), QStringLiteral("12:35:19"));
  EXPECT_EQ(form.Text(Value::Latitude), QStringLiteral("44.538600N"));
  EXPECT_EQ(form.Text(Value::Longitude), QStringLiteral("7.612500E"));
  EXPECT_EQ(form.Text(Value::Altitude), QStringLiteral("245.3m"));
  EXPECT_EQ(form.Text(Value::Satellites), QStringLiteral("8"));
  EXPECT_EQ(form.LampColour(), QColor(0, 255, 0));
  ASSERT_TRUE(QTest::qWaitFor([&] { return window->Home().altitude == 245.3; }, 2000));
  EXPECT_TRUE(HomeAt(*window, 44 + 32.316 / 60, 7 + 36.750 / 60));
  const EcefMetres ecef = GeodeticToEcef(44 + 32.316 / 60, 7 + 36.750 / 60, 245.3);
  EXPECT_EQ(window->Home().ecefX, ecef.x);
  EXPECT_EQ(window->Home().ecefZ, ecef.z);
  EXPECT_GE(homeChanges, 1);
  // The lamp goes navy two passes after the last sentence.
  EXPECT_TRUE(QTest::qWaitFor([&] { return form.LampColour() == QColor(0, 0, 128); }, 2000));

  // A station west of the sonde sees it to the north-east; the tracking read-outs follow at once.
  ASSERT_TRUE(line.Send("$GNGGA,123520.00,4432.316,N,00636.750,E,2,09,0.9,300.0,M,,M,,*00\r\n"));
  ASSERT_TRUE(
      QTest::qWaitFor([&] { return HomeAt(*window, 44 + 32.316 / 60, 6 + 36.75 / 60); }, 5000));
  EXPECT_NE(window->Panels().Text(ReadOut::Bearing), bearingBefore);
  EXPECT_EQ(form.Text(Value::Fix), QStringLiteral("DGPS"));

  // No fix: the window says so, the home stays.
  ASSERT_TRUE(line.Send("$GPGGA,,,,,,0,00,,,M,,M,,*66\r\n"));
  ASSERT_TRUE(
      QTest::qWaitFor([&] { return form.Text(Value::Fix) == QStringLiteral("No Fix"); }, 5000));
  EXPECT_EQ(form.Text(Value::Time), QString());
  EXPECT_EQ(form.Text(Value::Satellites), QString());
  EXPECT_EQ(form.Text(Value::Latitude), QStringLiteral("44.538600N"));  // its last good text
  EXPECT_EQ(form.LampColour(), QColor(255, 255, 0));
  // Quality 0 with coordinates: "Invalid", no home update.
  ASSERT_TRUE(line.Send("$GPGGA,123521,4000.000,N,00500.000,E,0,08,0.9,1.0,M,,M,,*00\r\n"));
  ASSERT_TRUE(
      QTest::qWaitFor([&] { return form.Text(Value::Fix) == QStringLiteral("Invalid"); }, 5000));
  EXPECT_TRUE(HomeAt(*window, 44 + 32.316 / 60, 6 + 36.75 / 60));

  // A line that never ends does not stop the reader.
  ASSERT_TRUE(line.Send(std::string(20000, 'x')));
  ASSERT_TRUE(line.Send("\r\n" + std::string(kExample)));
  ASSERT_TRUE(
      QTest::qWaitFor([&] { return HomeAt(*window, 44 + 32.316 / 60, 7 + 36.75 / 60); }, 5000));

  // The port vanishes: reported in the window; it comes back and is read again.
  line.Stop();
  ASSERT_TRUE(QTest::qWaitFor([&] { return !form.Status().isEmpty(); }, 5000));
  EXPECT_TRUE(form.Status().startsWith(QStringLiteral("Port "))) << form.Status().toStdString();
  ASSERT_TRUE(line.Start());
  ASSERT_TRUE(QTest::qWaitFor([&] { return form.Status().isEmpty(); }, 8000));
  ASSERT_TRUE(line.Send("$GPGGA,123530.00,4500.000,N,00800.000,E,1,08,0.9,10.0,M,,M,,*00\r\n"));
  ASSERT_TRUE(QTest::qWaitFor([&] { return HomeAt(*window, 45, 8); }, 5000));

  // Switching off hides the window and ends the reader.
  Button(*window, "SBGpsIn")->click();
  EXPECT_FALSE(window->GpsRunning());
  EXPECT_FALSE(form.isVisible());
  EXPECT_FALSE(Button(*window, "SBGpsIn")->isChecked());
  EXPECT_TRUE(m_prompts.messages.empty());
}

TEST_F(GpsInTest, APortThatDoesNotOpenGivesTheErrorBox) {
  struct Case {
    std::string port;
    int stopBits;
    QString detail;
  };
  test::PtyPair line(Path("pty"));
  std::filesystem::create_directories(Path("pty"));
  ASSERT_TRUE(line.Start());
  const std::string missing = Path("no-such-port").string();
  const Case cases[] = {
      {missing, 0, QStringLiteral("Unable to open <%1> port").arg(QString::fromStdString(missing))},
      // Linux lines have no 1.5 stop bits.
      {line.Device(), 1, QStringLiteral("Unable to set serial parameters")},
  };
  for (const Case& c : cases) {
    GpsInSettings gps;
    gps.portName = c.port;
    gps.stopBits = c.stopBits;
    auto window = GpsWindow(gps);
    m_prompts.messages.clear();
    Button(*window, "SBGpsIn")->click();
    EXPECT_FALSE(window->GpsRunning());
    EXPECT_FALSE(Button(*window, "SBGpsIn")->isChecked());
    EXPECT_FALSE(window->GpsInForm().isVisible());
    ASSERT_EQ(m_prompts.messages.size(), 1U);
    EXPECT_EQ(m_prompts.messages[0].second, QStringLiteral("GPS communication ERROR\r") + c.detail);
  }
}

TEST_F(GpsInTest, GpsdFeedsTheHomeAndIsSurvivedWhenItRestarts) {
  if (QStandardPaths::findExecutable(QStringLiteral("gpsd")).isEmpty() &&
      !std::filesystem::exists("/usr/sbin/gpsd")) {
    GTEST_SKIP() << "gpsd is not installed (Debian package gpsd)";
  }
  std::filesystem::create_directories(Path("pty"));
  test::PtyPair line(Path("pty"));
  ASSERT_TRUE(line.Start());
  const int port = test::FreePort();
  test::GpsdDaemon gpsd;
  ASSERT_TRUE(gpsd.Start(line.Device(), port)) << gpsd.Output().toStdString();

  GpsInSettings gps;
  gps.source = GpsSource::Gpsd;
  gps.gpsdPort = port;
  auto window = GpsWindow(gps);
  Button(*window, "SBGpsIn")->click();
  ASSERT_TRUE(window->GpsRunning());
  TGpsInForm& form = window->GpsInForm();
  EXPECT_EQ(form.windowTitle(), QStringLiteral("GPS in (gpsd 127.0.0.1:%1)").arg(port));

  // gpsd needs a few sentences to recognise the receiver.
  auto feedUntil = [&](const std::string& sentence, double latitude, double longitude,
                       double altitude) {
    return QTest::qWaitFor(
        [&] {
          line.Send(sentence);
          QTest::qWait(200);
          return HomeAt(*window, latitude, longitude) && window->Home().altitude == altitude;
        },
        15000);
  };
  const std::string rmc = Nmea("GPRMC,123519.00,A,4432.316,N,00736.750,E,0.0,0.0,101226,,,A");
  ASSERT_TRUE(feedUntil(kExample + rmc, 44.5386, 7.6125, 245.3)) << gpsd.Output().toStdString();
  EXPECT_EQ(form.Text(Value::Latitude), QStringLiteral("44.538600N"));
  EXPECT_EQ(form.Text(Value::Fix), QStringLiteral("GPS"));
  EXPECT_TRUE(form.Status().isEmpty()) << form.Status().toStdString();

  gpsd.Stop();
  ASSERT_TRUE(QTest::qWaitFor([&] { return !form.Status().isEmpty(); }, 5000));
  EXPECT_TRUE(form.Status().startsWith(QStringLiteral("gpsd 127.0.0.1:")))
      << form.Status().toStdString();
  ASSERT_TRUE(gpsd.Start(line.Device(), port));
  ASSERT_TRUE(feedUntil(Nmea("GPGGA,123600.00,4500.000,N,00800.000,E,1,08,0.9,10.0,M,46.9,M,,") +
                            Nmea("GPRMC,123600.00,A,4500.000,N,00800.000,E,0.0,0.0,101226,,,A"),
                        45, 8, 10.0))
      << gpsd.Output().toStdString();
  EXPECT_TRUE(form.Status().isEmpty());
  Button(*window, "SBGpsIn")->click();
  EXPECT_FALSE(window->GpsRunning());
}

}  // namespace
}  // namespace windlark
