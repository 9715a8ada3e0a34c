#include "map/MapGeometry.h"

#include <cmath>

#include "base/Format.h"

namespace windlark {

namespace {

// Far beyond any tile number (2^19 at the deepest zoom), yet safe to turn into 32 bits; a point
// at a pole projects to infinity.
constexpr double kTileLimit = 1.0e9;

double Bounded(double value) {
  if (std::isnan(value)) return 0;
  return std::fmax(-kTileLimit, std::fmin(kTileLimit, value));
}

// Integer division rounding towards +infinity.
long long CeilDiv(long long a, long long b) {
  return static_cast<long long>(std::ceil(static_cast<double>(a) / static_cast<double>(b)));
}

}  // namespace

TilePos MapToTile(double x, double y, int zoom) {
  const double s = std::pow(2.0, zoom);
  const double fx = Bounded(x * s);
  const double fy = Bounded(y * s);
  TilePos t;
  t.tileX = static_cast<std::int32_t>(std::trunc(fx));
  t.tileY = static_cast<std::int32_t>(std::trunc(fy));
  t.pixelX = static_cast<int>(RoundHalfEven((fx - t.tileX) * kTileSize));
  t.pixelY = static_cast<int>(RoundHalfEven((fy - t.tileY) * kTileSize));
  return t;
}

GridLayout CenterLayout(int zoom, double x, double y, int width, int height) {
  const TilePos t = MapToTile(x, y, zoom);
  const long long e = width / 2 - t.pixelX;
  const long long left = CeilDiv(e, kTileSize);
  const long long right = CeilDiv(width - e, kTileSize);
  const long long d = height / 2 - t.pixelY;
  const long long up = CeilDiv(d, kTileSize);
  const long long down = CeilDiv(height - d, kTileSize);
  GridLayout g;
  g.originX = static_cast<std::int32_t>(t.tileX - left);
  g.originY = static_cast<std::int32_t>(t.tileY - up);
  g.zoom = zoom;
  g.columns = static_cast<int>(left + right);
  g.rows = static_cast<int>(up + down);
  g.xOffset = static_cast<int>(e - left * kTileSize);
  g.yOffset = static_cast<int>(d - up * kTileSize);
  return g;
}

MapXY ViewCentre(const GridLayout& layout, int width, int height) {
  const double s = std::pow(2.0, layout.zoom);
  // The centre pixel is a whole one (W div 2), as the layout put it.
  const int centreX = width / 2 - layout.xOffset;
  const int centreY = height / 2 - layout.yOffset;
  return {(static_cast<double>(centreX) / kTileSize + layout.originX) / s,
          (static_cast<double>(centreY) / kTileSize + layout.originY) / s};
}

namespace {

// Moves the origin by whole tiles until the offset lies in -256..0.
void Fold(long long& offset, std::int32_t& origin) {
  if (offset > 0) {
    const long long k = CeilDiv(offset, kTileSize);
    origin = static_cast<std::int32_t>(origin - k);
    offset -= k * kTileSize;
  } else if (offset < -kTileSize) {
    const long long k = -offset / kTileSize;
    origin = static_cast<std::int32_t>(origin + k);
    offset += k * kTileSize;
  }
}

}  // namespace

GridLayout RelayoutOf(const GridLayout& layout, int dragX, int dragY, int width, int height) {
  GridLayout g = layout;
  long long sx = static_cast<long long>(layout.xOffset) + dragX;
  long long sy = static_cast<long long>(layout.yOffset) + dragY;
  Fold(sx, g.originX);
  Fold(sy, g.originY);
  g.columns = static_cast<int>(CeilDiv(width - sx, kTileSize));
  g.rows = static_cast<int>(CeilDiv(height - sy, kTileSize));
  g.xOffset = static_cast<int>(sx);
  g.yOffset = static_cast<int>(sy);
  return g;
}

ViewPoint ViewPosition(const GridLayout& layout, double x, double y) {
  const TilePos t = MapToTile(x, y, layout.zoom);
  return {
      (static_cast<long long>(t.tileX) - layout.originX) * kTileSize + t.pixelX + layout.xOffset,
      (static_cast<long long>(t.tileY) - layout.originY) * kTileSize + t.pixelY + layout.yOffset};
}

bool NearEdge(ViewPoint p, int width, int height) {
  return p.x < kNearEdgePx || p.x > width - kNearEdgePx || p.y < kNearEdgePx ||
         p.y > height - kNearEdgePx;
}

std::string TypeFolder(int mapType) {
  return "t" + FormatInt(mapType == 2 ? 2 : 1, 2);
}

std::filesystem::path TileFile(const std::filesystem::path& mapDir, int mapType, int zoom,
                               std::int32_t x, std::int32_t y) {
  return mapDir / TypeFolder(mapType) / FormatInt(zoom) / FormatInt(x) / (FormatInt(y) + ".png");
}

std::string TileUrl(std::string_view baseUrl, int zoom, std::int32_t x, std::int32_t y) {
  return std::string(baseUrl) + "/" + FormatInt(zoom) + "/" + FormatInt(x) + "/" + FormatInt(y) +
         ".png";
}

std::string AreaText(const TileArea& area) {
  return FormatInt(area.zoom) + ",(" + FormatInt(area.x0) + "-" + FormatInt(area.x1) + "),(" +
         FormatInt(area.y0) + "-" + FormatInt(area.y1) + ")";
}

TileArea AreaAtZoom(const TileArea& area, int zoom) {
  const auto k = static_cast<std::int64_t>(std::pow(2.0, zoom - area.zoom));
  return {zoom, k * area.x0, k * (area.x1 + 1) - 1, k * area.y0, k * (area.y1 + 1) - 1};
}

std::int64_t TotalTiles(const TileArea& area, int toZoom) {
  std::int64_t total = 0;
  const std::int64_t base = (area.x1 - area.x0 + 1) * (area.y1 - area.y0 + 1);
  for (int level = 0; level <= toZoom - area.zoom; ++level) total += base << (2 * level);
  return total;
}

}  // namespace windlark
