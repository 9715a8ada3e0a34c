// Screenshots of the map in the desktop window: a replayed flight over tiles from a local tile
// server, a zoom change mid-flight, the home, a ghost track and the offline downloader at work.
// Usage: windlark-mapshots OUTPUT_DIR [FRAME_FILE] (run under a display, e.g. xvfb-run). With a
// raw or hex frame file, that flight is replayed to its end and pictured instead.
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QPixmap>
#include <QScreen>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QToolButton>
#include <cstdio>
#include <fstream>

#include "app/io/SettingsStore.h"
#include "app/ui/MainForm.h"
#include "map/io/TileLoader.h"
#include "map/ui/DynamicMap.h"
#include "map/ui/MapDownloaderUnit.h"
#include "records/RawReplay.h"
#include "support/TileServer.h"
#include "tools/mapshots/FlightFile.h"

using namespace windlark;

namespace {

void Pump(int ms) {
  QElapsedTimer t;
  t.start();
  while (t.elapsed() < ms) QApplication::processEvents(QEventLoop::AllEvents, 20);
}

bool PumpUntil(const std::function<bool()>& done, int ms) {
  QElapsedTimer t;
  t.start();
  while (!done() && t.elapsed() < ms) QApplication::processEvents(QEventLoop::AllEvents, 20);
  return done();
}

// Until a loading pass asked for now has ended (at most 30 s), then the placed tiles drawn.
void Settle(TDynMap& map) {
  bool done = false;
  const QMetaObject::Connection connection =
      QObject::connect(map.Loader(), &TTileLoader::PassDone, [&done] { done = true; });
  map.RequestTiles();
  PumpUntil([&done] { return done; }, 30000);
  QObject::disconnect(connection);
  Pump(300);
}

void Save(QWidget& window, const QString& dir, const char* name) {
  const QString path = dir + '/' + QString::fromUtf8(name);
  window.grab().save(path);
  std::fprintf(stderr, "wrote %s\n", path.toUtf8().constData());
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (argc < 2) {
    std::fprintf(stderr, "usage: windlark-mapshots OUTPUT_DIR [FRAME_FILE]\n");
    return 2;
  }
  const QString out = QString::fromLocal8Bit(argv[1]);
  QDir().mkpath(out);

  TileServer server;
  qputenv("WINDLARK_OSM_URL", server.BaseUrl().toUtf8());
  qputenv("WINDLARK_OPENTOPOMAP_URL", server.BaseUrl().toUtf8());
  QTemporaryDir tmp;
  const std::string root = tmp.path().toStdString();
  QDir().mkpath(tmp.path() + "/bin");
  {
    std::ofstream ini(root + "/bin/windlark.ini", std::ios::binary);
    ini << "[Maps Settings]\r\nDefault Map Type=1\r\nOnline Map Mode=1\r\nAutosave Maps=1\r\n"
           "MapDir="
        << root << "/maps\r\nDefault Zoom Level=12\r\nHome Lat=44.5386\r\nHome Long=7.6125\r\n"
        << "Home Altitude=300\r\n[Logs Files]\r\nSave Raw Data=0\r\n";
  }
  const auto flight = shots::MakeFlight(44.5520, 7.6310, 3600, 0.35);
  const std::string raw = root + "/T2350815.txt";
  shots::WriteRawFlight(raw, flight);
  const std::string kml = root + "/ghost.kml";
  shots::WriteKml(kml, shots::MakeFlight(44.5450, 7.6200, 3600, 0.42));

  TmainForm::Options options;
  Prompts prompts;
  prompts.message = [](Prompts::Icon, const QString& text) {
    std::fprintf(stderr, "message: %s\n", text.toUtf8().constData());
  };
  prompts.openFile = [kml](const Prompts::OpenRequest&) { return QString::fromStdString(kml); };
  prompts.saveFile = [](const Prompts::SaveRequest&) { return Prompts::SaveAnswer{}; };
  prompts.openUrl = [](const QString&) {};
  options.prompts = prompts;
  options.settingsStore = SettingsStore(AppPaths(tmp.path() + "/bin"));
  options.replayFile = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QString::fromStdString(raw);
  TmainForm window(std::move(options));
  window.resize(1600, 1000);
  window.show();
  if (!PumpUntil([&] { return window.Started(); }, 10000)) return 1;
  window.LogFileThreadCommander(static_cast<int>(ReplaySpeed::Max));
  if (argc > 2) {
    PumpUntil([&] { return !window.ReplayRunning(); }, 180000);
    Settle(window.Map());
    Save(window, out, "replayed-file.png");
    return 0;
  }

  const auto count = [&] { return window.Chain().Log().Count(); };
  PumpUntil([&] { return count() >= 1500; }, 120000);
  window.LogFileThreadCommander(static_cast<int>(ReplaySpeed::Stop));
  Settle(window.Map());
  Save(window, out, "01-replayed-flight-zoom12.png");

  window.SBZoomPlusClick();
  window.SBZoomPlusClick();
  window.LogFileThreadCommander(static_cast<int>(ReplaySpeed::Normal));
  Settle(window.Map());
  Save(window, out, "02-zoom-14-mid-flight.png");
  window.LogFileThreadCommander(static_cast<int>(ReplaySpeed::Max));
  PumpUntil([&] { return !window.ReplayRunning(); }, 180000);

  for (int i = 0; i < 4; ++i) window.SBZoomMinusClick();
  const HomePosition& home = window.Chain().Context().home;
  window.Map().CenterOnMap(window.Map().GetZoom(), home.mapX + 0.0009, home.mapY + 0.0003);
  Settle(window.Map());
  Save(window, out, "03-whole-track-and-home-zoom10.png");

  window.findChild<QToolButton*>(QStringLiteral("SBLoadKml"))->click();
  Settle(window.Map());
  Save(window, out, "04-ghost-track.png");

  server.SetDelayMs(120);
  window.findChild<QToolButton*>(QStringLiteral("SBMapDownloader"))->click();
  TMapDownloaderForm& downloader = window.MapDownloader();
  downloader.move(window.geometry().center() - QPoint(200, 150));
  downloader.ZoomControl()->setValue(window.Map().GetZoom() + 2);
  downloader.SetConfirm([](const QString&) { return true; });
  downloader.Button1Click();
  Pump(4000);
  const QPixmap screen = QGuiApplication::primaryScreen()->grabWindow(0);
  screen.save(out + "/05-offline-downloader.png");
  std::fprintf(stderr, "wrote %s/05-offline-downloader.png (%d requests so far)\n",
               out.toUtf8().constData(), server.Requests());
  downloader.Button2Click();
  Pump(1000);
  window.close();
  return 0;
}
