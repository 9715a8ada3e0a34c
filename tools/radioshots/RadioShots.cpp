// Screenshots of radio control and the antenna rotor in the desktop window: the radio group
// scanning a local Net Remote service and locked on a sonde, then the rotor window tracking a
// replayed flight through hamlib's rotctld (dummy rotor).
// Usage: windlark-radioshots OUTPUT_DIR (run under a display, e.g. xvfb-run).
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QToolButton>
#include <cstdio>
#include <fstream>

#include "app/io/SettingsStore.h"
#include "app/ui/MainForm.h"
#include "radio/io/RadioDevices.h"
#include "records/RawReplay.h"
#include "rotor/ui/RotorHandler.h"
#include "support/TileServer.h"
#include "tools/mapshots/FlightFile.h"

using namespace windlark;

namespace {

bool PumpUntil(const std::function<bool()>& done, int ms) {
  QElapsedTimer t;
  t.start();
  while (!done() && t.elapsed() < ms) QApplication::processEvents(QEventLoop::AllEvents, 20);
  return done();
}

void Pump(int ms) {
  PumpUntil([] { return false; }, ms);
}

void Save(const QPixmap& picture, const QString& dir, const char* name) {
  const QString path = dir + '/' + QString::fromUtf8(name);
  picture.save(path);
  std::fprintf(stderr, "wrote %s\n", path.toUtf8().constData());
}

QWidget* RadioGroup(TmainForm& window) {
  for (QGroupBox* group : window.findChildren<QGroupBox*>()) {
    if (group->title() == QStringLiteral("   Radio  I/F ")) return group;
  }
  return &window;
}

QString StatusText(TmainForm& window) {
  return window.Widgets().readOuts[static_cast<std::size_t>(ReadOut::RadioStatus)]->text();
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (argc < 2) {
    std::fprintf(stderr, "usage: windlark-radioshots OUTPUT_DIR\n");
    return 2;
  }
  const QString out = QString::fromLocal8Bit(argv[1]);
  QDir().mkpath(out);

  TileServer tiles;
  qputenv("WINDLARK_OSM_URL", tiles.BaseUrl().toUtf8());
  qputenv("WINDLARK_OPENTOPOMAP_URL", tiles.BaseUrl().toUtf8());
  test::NetRemoteService netRemote;
  if (!netRemote.Listen()) return 1;
  test::HamlibDaemon rotctld(QStringLiteral("rotctld"));
  const int rotctldPort = test::UnusedPort();
  if (!rotctld.Start(rotctldPort)) {
    std::fprintf(stderr, "rotctld did not start\n");
    return 1;
  }

  QTemporaryDir tmp;
  const std::string root = tmp.path().toStdString();
  QDir().mkpath(tmp.path() + "/bin");
  {
    std::ofstream ini(root + "/bin/windlark.ini", std::ios::binary);
    ini << "[Radio Controls]\r\nNetRemote port=" << netRemote.Port()
        << "\r\nFreq-01=402700000\r\nFreq-02=403900000\r\nFreq-03=405100000\r\n"
           "RestartScan=1\r\nRearm Time=5\r\n"
           "[Maps Settings]\r\nDefault Map Type=1\r\nOnline Map Mode=1\r\nAutosave Maps=1\r\n"
           "MapDir="
        << root << "/maps\r\nDefault Zoom Level=12\r\nHome Lat=44.5386\r\nHome Long=7.6125\r\n"
        << "Home Altitude=300\r\n[Logs Files]\r\nSave Raw Data=0\r\n"
        << "[Antenna Rotor]\r\nProtocol=4\r\nRotctld Host=127.0.0.1\r\nRotctld Port=" << rotctldPort
        << "\r\nSensitivity Angle=2\r\nQuery Position Period=1\r\n"
        << "PresetId-01=Launch site\r\nPresetAz-01=45\r\nPresetEl-01=5\r\n";
  }
  const auto flight = shots::MakeFlight(44.5520, 7.6310, 1800, 0.6);
  const std::string raw = root + "/T2350815.txt";
  shots::WriteRawFlight(raw, flight);

  TmainForm::Options options;
  Prompts prompts;
  prompts.message = [](Prompts::Icon, const QString& text) {
    std::fprintf(stderr, "message: %s\n", text.toUtf8().constData());
  };
  prompts.openFile = [raw](const Prompts::OpenRequest&) { return QString::fromStdString(raw); };
  prompts.saveFile = [](const Prompts::SaveRequest&) { return Prompts::SaveAnswer{}; };
  prompts.openUrl = [](const QString&) {};
  options.prompts = prompts;
  options.settingsStore = SettingsStore(AppPaths(tmp.path() + "/bin"));
  options.rotorStateDir = tmp.path() + "/state/Rotor";
  TmainForm window(std::move(options));
  window.resize(1500, 950);
  window.show();
  if (!PumpUntil([&] { return window.Started(); }, 10000)) return 1;

  // Scanning: the first entry tuned, the next ones after their dwell.
  window.SBStartRadioClick();
  PumpUntil([&] { return window.Widgets().radioFrequency->text() == "403.900.000"; }, 15000);
  Pump(300);
  Save(RadioGroup(window)->grab(), out, "01-radio-scanning.png");
  Save(window.grab(), out, "02-main-window-scanning.png");

  // The bit slicer locks on preambles, the decoder finds the sonde: the scan stops and waits.
  SondeState& state = window.Chain().State();
  state.lockCount = 1;
  PumpUntil([&] { return StatusText(window) == "Preamble detected"; }, 3000);
  state.lockCount = 4;
  PumpUntil([&] { return StatusText(window) == "Preamble locked"; }, 3000);
  state.sondeId = "T2350815";
  PumpUntil([&] { return window.Widgets().rescanCountdown->isVisible(); }, 3000);
  Pump(300);
  Save(RadioGroup(window)->grab(), out, "03-radio-locked.png");
  std::fprintf(stderr, "radio status: %s, %s, countdown %s\n",
               StatusText(window).toUtf8().constData(),
               window.Widgets().radioFrequency->text().toUtf8().constData(),
               window.Widgets().rescanCountdown->text().toUtf8().constData());

  // The rotor window on rotctld, tracking the replayed flight.
  window.SBRotorClick();
  TRotorHandler& rotor = window.RotorHandler();
  rotor.move(window.geometry().center() - QPoint(150, 120));
  rotor.findChild<QPushButton*>(QStringLiteral("ButtonConnect"))->click();
  PumpUntil(
      [&] {
        return rotor.findChild<QPushButton*>(QStringLiteral("ButtonStartTracking"))->isEnabled();
      },
      5000);
  rotor.findChild<QPushButton*>(QStringLiteral("ButtonStartTracking"))->click();
  window.SBLoadRawFileClick();
  window.LogFileThreadCommander(static_cast<int>(ReplaySpeed::Max));
  PumpUntil([&] { return window.Chain().Log().Count() >= 900; }, 120000);
  window.LogFileThreadCommander(static_cast<int>(ReplaySpeed::Normal));
  // The dummy rotor turns a few degrees a second: let it catch up with the sonde.
  auto* azimuthLabel = rotor.findChild<QLabel*>(QStringLiteral("LabelAzimuth"));
  PumpUntil(
      [&] {
        return azimuthLabel->text().startsWith(
            QString::number(rotor.LastAzimuth()).rightJustified(3, '0'));
      },
      40000);
  Pump(1500);
  Save(rotor.grab(), out, "04-rotor-tracking.png");
  Save(QGuiApplication::primaryScreen()->grabWindow(0), out, "05-screen-rotor-tracking.png");
  std::fprintf(
      stderr, "rotor: last commanded %d %d, labels %s %s, %s | %s\n", rotor.LastAzimuth(),
      rotor.LastElevation(),
      rotor.findChild<QLabel*>(QStringLiteral("LabelAzimuth"))->text().toUtf8().constData(),
      rotor.findChild<QLabel*>(QStringLiteral("LabelElevation"))->text().toUtf8().constData(),
      rotor.findChild<QLabel*>(QStringLiteral("StatusLink"))->text().toUtf8().constData(),
      rotor.findChild<QLabel*>(QStringLiteral("StatusRotor"))->text().toUtf8().constData());
  const std::vector<std::string> position = rotctld.Ask("p", 2);
  if (position.size() == 2) {
    std::fprintf(stderr, "rotctld reports %s %s\n", position[0].c_str(), position[1].c_str());
  }
  window.LogFileThreadCommander(TmainForm::kReplayTerminate);
  PumpUntil([&] { return !window.ReplayRunning(); }, 10000);
  window.close();
  return 0;
}
