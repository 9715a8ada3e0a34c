#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace windlark {

inline constexpr int kTileSize = 256;
// A sonde this close to an edge of the view (or beyond it) asks for re-centring.
inline constexpr int kNearEdgePx = 100;

// The tile holding a map point at a zoom, and the point's pixel inside it. The pixel is 256 when
// the fraction rounds up to a whole tile.
struct TilePos {
  std::int32_t tileX = 0;
  std::int32_t tileY = 0;
  int pixelX = 0;
  int pixelY = 0;
};

TilePos MapToTile(double x, double y, int zoom);

// One layout of the grid: the tile numbers of its top-left slot, its extent, and the view pixel
// at which that slot's top-left corner is drawn (both offsets in -256..0 after a layout).
struct GridLayout {
  std::int32_t originX = 0;
  std::int32_t originY = 0;
  int zoom = 0;
  int columns = 0;
  int rows = 0;
  int xOffset = 0;
  int yOffset = 0;
};

struct MapXY {
  double x = 0;
  double y = 0;
};

// The layout that puts map point (x, y) at the centre of a width × height view.
GridLayout CenterLayout(int zoom, double x, double y, int width, int height);
// The map point at the centre of the view (drag offsets not included).
MapXY ViewCentre(const GridLayout& layout, int width, int height);
// The layout after folding the drag offsets into the grid offsets: the origin moves by whole
// tiles, the extent covers the view again.
GridLayout RelayoutOf(const GridLayout& layout, int dragX, int dragY, int width, int height);

struct ViewPoint {
  long long x = 0;
  long long y = 0;
};

// Where a map point lies in the view, drag offsets not included.
ViewPoint ViewPosition(const GridLayout& layout, double x, double y);

// Bounds included: a point on the right or bottom edge is inside.
inline bool InsideView(ViewPoint p, int width, int height) {
  return p.x >= 0 && p.x <= width && p.y >= 0 && p.y <= height;
}
bool NearEdge(ViewPoint p, int width, int height);

// "t01" for OpenStreetMap, "t02" for OpenTopoMap.
std::string TypeFolder(int mapType);
// mapDir/tNN/zoom/x/y.png
std::filesystem::path TileFile(const std::filesystem::path& mapDir, int mapType, int zoom,
                               std::int32_t x, std::int32_t y);
// base/zoom/x/y.png
std::string TileUrl(std::string_view baseUrl, int zoom, std::int32_t x, std::int32_t y);

// A rectangle of tiles at one zoom: columns x0..x1, rows y0..y1.
struct TileArea {
  int zoom = 0;
  std::int64_t x0 = 0;
  std::int64_t x1 = -1;
  std::int64_t y0 = 0;
  std::int64_t y1 = -1;
};

// "12,(2170-2173),(1476-1478)"
std::string AreaText(const TileArea& area);
// The same ground at a deeper zoom.
TileArea AreaAtZoom(const TileArea& area, int zoom);
// Tiles of every level from the area's zoom to `toZoom`, both included; 0 when toZoom is the
// shallower.
std::int64_t TotalTiles(const TileArea& area, int toZoom);

}  // namespace windlark
