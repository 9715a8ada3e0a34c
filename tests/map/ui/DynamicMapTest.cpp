// The map view's drawing: tiles, track, markers and APRS sondes, pixel by pixel.
#include "map/ui/DynamicMap.h"

#include <gtest/gtest.h>

#include <QTest>
#include <fstream>

#include "base/Projection.h"
#include "map/io/TileLoader.h"
#include "records/RecordsRig.h"
#include "support/TileServer.h"

namespace windlark {
namespace {

using test::TempFolder;

constexpr int kW = 852;
constexpr int kH = 602;
constexpr int kZoom = 12;

QColor At(const TDynMap& map, int x, int y) {
  return map.Composition().pixelColor(x, y);
}

class DynamicMapTest : public ::testing::Test {
 protected:
  DynamicMapTest() : map(nullptr, Servers()) {
    map.SetMapDir(dir.Path().string());
    map.SetMapMode(MapMode::Offline);
    map.SetViewSize(kW, kH);
    centre = Project(44.5386, 7.6125);
    map.SetHome(-1, -1);  // off the map unless a test puts it there
    map.CenterOnMap(kZoom, centre.x, centre.y);
  }
  static TileServers Servers() {
    TileServers servers;
    servers.openStreetMapUrl = "http://127.0.0.1:9";
    servers.openTopoMapUrl = "http://127.0.0.1:9";
    return servers;
  }
  // The map point `dx`, `dy` view pixels from the centre.
  MapPoint Offset(int dx, int dy) const {
    const double s = std::pow(2.0, kZoom) * 256.0;
    return {centre.x + dx / s, centre.y + dy / s};
  }

  TempFolder dir;
  TDynMap map;
  MapPoint centre;
};

TEST_F(DynamicMapTest, WithoutTilesTheViewIsNoMapTilesAndTheMarkerIsHidden) {
  const GridLayout& g = map.Layout();
  EXPECT_EQ(g.zoom, kZoom);
  EXPECT_GE(g.columns * 256 + g.xOffset, kW);
  // No Map tile: light grey with a darker line along its top and left edges.
  const int left = g.xOffset + 256;
  const int top = g.yOffset + 256;
  EXPECT_EQ(At(map, left + 50, top + 50), QColor(240, 240, 240));
  EXPECT_EQ(At(map, left + 50, top), QColor(224, 224, 224));
  EXPECT_EQ(At(map, left, top + 50), QColor(224, 224, 224));
  // Before any frame the marker sits far outside.
  EXPECT_EQ(At(map, kW / 2, kH / 2), QColor(240, 240, 240));
}

TEST_F(DynamicMapTest, SondeMarkerLabelAndClimbArrow) {
  map.UpdateSonde("12.5 m/s", 1, 1234.5, centre.x, centre.y);
  const int x = kW / 2;
  const int y = kH / 2;
  EXPECT_FALSE(map.IsSondeNearEdge());
  EXPECT_EQ(At(map, x - 15, y), QColor(Qt::white));  // an arm, white over black
  EXPECT_EQ(At(map, x - 15, y - 1), QColor(Qt::black));
  EXPECT_EQ(At(map, x + 22, y), QColor(Qt::black));  // the label's frame
  EXPECT_EQ(At(map, x + 96, y + 14), QColor(Qt::white));
  EXPECT_EQ(At(map, x + 88, y + 5), QColor(0, 255, 0));
  // The track dot lies under the marker's open centre.
  EXPECT_EQ(At(map, x, y), QColor(0, 0, 255));

  map.UpdateSonde("3.0 m/s", -1, 1200, centre.x, centre.y);
  EXPECT_EQ(At(map, x + 88, y - 5), QColor(255, 0, 0));
  map.UpdateSonde("3.0 m/s", 0, 1200, centre.x, centre.y);
  EXPECT_EQ(At(map, x + 88, y - 5), QColor(Qt::white));
}

TEST_F(DynamicMapTest, NearTheEdgeAndOutsideTheView) {
  const MapPoint near = Offset(99 - kW / 2, 0);
  map.UpdateSonde("", 0, 0, near.x, near.y);
  EXPECT_TRUE(map.IsSondeNearEdge());
  const MapPoint clear = Offset(100 - kW / 2, 0);
  map.UpdateSonde("", 0, 0, clear.x, clear.y);
  EXPECT_FALSE(map.IsSondeNearEdge());

  // Outside: flagged, no marker, no dot.
  const MapPoint outside = Offset(kW / 2 + 40, 0);
  map.UpdateSonde("", 0, 0, outside.x, outside.y);
  EXPECT_TRUE(map.IsSondeNearEdge());
  for (int x = kW - 20; x < kW; ++x) EXPECT_EQ(At(map, x, kH / 2), QColor(240, 240, 240)) << x;
}

TEST_F(DynamicMapTest, TrackDotsOnTheEdgeAreDrawnOnePixelBeyondAreNot) {
  std::vector<MapPoint> track = {Offset(kW - kW / 2, -50), Offset(kW + 1 - kW / 2, 50)};
  map.SetTrackSource([&] { return track; });
  map.RedrawAll();
  EXPECT_EQ(At(map, kW - 1, kH / 2 - 50), QColor(0, 0, 255));
  EXPECT_EQ(At(map, kW - 1, kH / 2 + 50), QColor(240, 240, 240));

  // A drag moves the dots with the tiles and leaves grey behind; its end lays the grid out
  // again without losing them.
  map.BeginDrag(400, 300);
  map.DragTo(300, 300);
  EXPECT_EQ(At(map, kW - 101, kH / 2 - 50), QColor(0, 0, 255));
  EXPECT_EQ(At(map, kW - 5, 5), QColor(240, 240, 240));
  map.EndDrag();
  EXPECT_EQ(At(map, kW - 101, kH / 2 - 50), QColor(0, 0, 255));
}

TEST_F(DynamicMapTest, HomeGhostTrackAndAprsSondes) {
  map.SetHome(centre.x, centre.y);
  const MapPoint a = Offset(-300, 100);
  const MapPoint b = Offset(-100, 100);
  map.SetGhostTrack({{a.x, a.y}, {b.x, b.y}});

  std::vector<MapAprsSonde> sondes(4);
  const int dx[] = {-200, 0, 200, 300};
  for (int i = 0; i < 4; ++i) {
    const MapPoint p = Offset(dx[i], -150);
    sondes[static_cast<std::size_t>(i)].mapX = p.x;
    sondes[static_cast<std::size_t>(i)].mapY = p.y;
    sondes[static_cast<std::size_t>(i)].name = "S" + std::to_string(i);
  }
  sondes[1].ownSonde = true;
  sondes[2].ageCounter = 1;
  sondes[3].programTag = true;
  map.SetAprsSondes(sondes);
  map.RedrawAll();
  const int cx = kW / 2;
  const int cy = kH / 2;
  EXPECT_EQ(At(map, cx + 5, cy), QColor(255, 255, 0));  // home diamond
  EXPECT_EQ(At(map, cx, cy), QColor(Qt::black));
  const QColor line(80, 80, 80);  // the ghost track, two pixels wide
  EXPECT_TRUE(At(map, cx - 200, cy + 99) == line || At(map, cx - 200, cy + 100) == line);

  const int y = cy - 150;
  EXPECT_EQ(At(map, cx - 200 + 3, y - 3), QColor(255, 255, 0));
  EXPECT_EQ(At(map, cx + 3, y - 3), QColor(0, 255, 0));
  EXPECT_EQ(At(map, cx + 200 + 3, y - 3), QColor(192, 192, 192));
  EXPECT_EQ(At(map, cx + 200 + 4, y + 4), QColor(0, 0, 255));    // the stale sonde's stroke
  EXPECT_EQ(At(map, cx - 200 - 10, y), QColor(Qt::black));       // cross arm
  EXPECT_EQ(At(map, cx - 200 - 25, y + 20), QColor(Qt::white));  // name plate

  map.SetSmallMarkers(true);
  map.Refresh();
  EXPECT_NE(At(map, cx - 200 - 25, y + 20), QColor(Qt::white));
  EXPECT_NE(At(map, cx - 200 - 10, y), QColor(Qt::black));  // shorter arms
  EXPECT_EQ(At(map, cx - 200 - 7, y), QColor(Qt::black));
}

TEST_F(DynamicMapTest, ZoomKeepsTheCentreAndAResizeCoversTheNewView) {
  map.SetZoomKeepCenter(16);
  EXPECT_EQ(map.GetZoom(), 16);
  const ViewPoint p = ViewPosition(map.Layout(), centre.x, centre.y);
  EXPECT_NEAR(static_cast<double>(p.x), kW / 2, 1);
  EXPECT_NEAR(static_cast<double>(p.y), kH / 2, 1);

  map.SetViewSize(3840, 2160);
  const GridLayout& g = map.Layout();
  EXPECT_GE(g.xOffset + g.columns * 256, 3840);
  EXPECT_GE(g.yOffset + g.rows * 256, 2160);
  EXPECT_EQ(map.Composition().size(), QSize(3840, 2160));
  const TileArea area = map.GetViewTiles();
  EXPECT_EQ(area.x1 - area.x0 + 1, g.columns);
}

TEST(DynamicMapTiles, TilesFromTheServerAppearAndAreCounted) {
  TileServer server;
  TempFolder dir;
  TileServers servers;
  servers.openStreetMapUrl = server.BaseUrl().toStdString();
  TDynMap map(nullptr, servers);
  map.SetMapDir(dir.Path().string());
  map.SetMapMode(MapMode::OnlineAutosave);
  map.SetViewSize(600, 400);
  int last = 0;
  QObject::connect(&map, &TDynMap::UpdateOSMMap, &map, [&](int w, int l) {
    EXPECT_EQ(l, 0);
    last = w;
    map.Refresh();
  });
  map.Start();
  const MapPoint p = Project(44.5386, 7.6125);
  map.CenterOnMap(kZoom, p.x, p.y);
  const int tiles = map.Layout().columns * map.Layout().rows;
  ASSERT_TRUE(QTest::qWaitFor([&] { return last == tiles; }, 20000)) << last << "/" << tiles;
  EXPECT_EQ(server.Requests(), tiles);
  // Drawn: no grey No Map left in the view.
  EXPECT_NE(map.Composition().pixelColor(300, 200), QColor(240, 240, 240));

  // Offline, then one tile east by dragging: only the new column is asked for, from the cache
  // first, so the server hears nothing.
  map.SetMapMode(MapMode::Offline);
  map.BeginDrag(300, 200);
  map.DragTo(44, 200);
  map.EndDrag();
  QTest::qWait(300);
  EXPECT_EQ(server.Requests(), tiles);
  EXPECT_NE(map.Composition().pixelColor(300, 200), QColor(240, 240, 240));
  map.Stop();
}

}  // namespace
}  // namespace windlark
