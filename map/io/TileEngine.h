#pragma once

#include <QImage>
#include <QMutex>
#include <atomic>
#include <string>

#include "map/MapSettings.h"
#include "map/TileGrid.h"

namespace windlark {

// Where the loading pass takes its tiles from; changed on the window's thread under the lock.
struct TileSource {
  int mapType = kMapTypeOpenStreetMap;
  MapMode mode = MapMode::Offline;
  std::string mapDir;
};

// What the window's thread and the loading thread share: the grid under its lock, the tile
// source and the downloaded-tile counter (successful downloads since start, never reset).
struct TileEngine {
  mutable QMutex lock;
  TileGrid<QImage> grid;
  TileSource source;
  std::atomic<int> downloaded{0};
};

}  // namespace windlark
