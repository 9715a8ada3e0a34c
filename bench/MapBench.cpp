// Redrawing the map view (1100 × 800, the map area of a 1600 × 1000 window) with a three-hour
// track of 10 800 points over cached tiles, at zoom 12 and 16.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <cmath>
#include <fstream>

#include "base/Projection.h"
#include "map/MapGeometry.h"
#include "map/ui/DynamicMap.h"
#include "support/TileServer.h"

namespace {

using namespace windlark;

constexpr int kPoints = 10800;
constexpr int kWidth = 1100;
constexpr int kHeight = 800;

std::vector<MapPoint> Track() {
  std::vector<MapPoint> track;
  for (int k = 0; k < kPoints; ++k) {
    const double t = k / static_cast<double>(kPoints);
    // About 60 km east and 20 km north, curving.
    track.push_back(Project(44.55 + 0.18 * t + 0.02 * std::sin(t * 9), 7.63 + 0.75 * t));
  }
  return track;
}

// Fills the cache with the tiles of the view and waits until the map shows them all.
void LoadView(TDynMap& map, const std::string& dir, int zoom, MapPoint centre) {
  map.CenterOnMap(zoom, centre.x, centre.y);
  const TileArea area = map.GetViewTiles();
  for (std::int64_t x = area.x0; x <= area.x1; ++x) {
    for (std::int64_t y = area.y0; y <= area.y1; ++y) {
      const auto file =
          TileFile(dir, 1, zoom, static_cast<std::int32_t>(x), static_cast<std::int32_t>(y));
      std::filesystem::create_directories(file.parent_path());
      const QByteArray png = TileServer::TilePng(zoom, static_cast<int>(x), static_cast<int>(y));
      std::ofstream(file, std::ios::binary).write(png.constData(), png.size());
    }
  }
  map.ReloadAll();
  const int tiles = static_cast<int>((area.x1 - area.x0 + 1) * (area.y1 - area.y0 + 1));
  int placed = 0;
  QObject::connect(&map, &TDynMap::UpdateOSMMap, &map, [&](int, int) { ++placed; });
  QElapsedTimer t;
  t.start();
  while (placed < tiles && t.elapsed() < 20000) QApplication::processEvents();
  QObject::disconnect(&map, &TDynMap::UpdateOSMMap, &map, nullptr);
}

void Redraw(benchmark::State& st, int zoom, bool full) {
  QTemporaryDir dir;
  const std::vector<MapPoint> track = Track();
  TDynMap map(nullptr, TileServers{});
  map.SetMapDir(dir.path().toStdString());
  map.SetMapMode(MapMode::Offline);
  map.SetTrackSource([&] { return track; });
  map.SetViewSize(kWidth, kHeight);
  map.Start();
  LoadView(map, dir.path().toStdString(), zoom, track[kPoints / 2]);
  map.SetHome(track[0].x, track[0].y);
  map.UpdateSonde("12.3 m/s", 1, 23456.7, track.back().x, track.back().y);
  for (auto _ : st) {
    if (full) {
      map.RedrawAll();
    } else {
      map.UpdateSonde("12.3 m/s", 1, 23456.7, track[kPoints / 2].x, track[kPoints / 2].y);
    }
    benchmark::DoNotOptimize(map.Composition().constBits());
  }
  map.Stop();
}

void BM_RedrawAllZoom12(benchmark::State& st) {
  Redraw(st, 12, true);
}
void BM_RedrawAllZoom16(benchmark::State& st) {
  Redraw(st, 16, true);
}
// What every frame with a position costs: one dot, the tiles, the markers.
void BM_UpdateSondeZoom12(benchmark::State& st) {
  Redraw(st, 12, false);
}

}  // namespace

BENCHMARK(BM_RedrawAllZoom12)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RedrawAllZoom16)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_UpdateSondeZoom12)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
