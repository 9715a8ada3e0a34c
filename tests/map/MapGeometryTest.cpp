#include "map/MapGeometry.h"

#include <gtest/gtest.h>

#include <cmath>

#include "base/Projection.h"
#include "map/MapSettings.h"

namespace windlark {
namespace {

TEST(MapGeometry, ProjectionAndTilesAtTheEdgesOfTheWorld) {
  const MapPoint centre = Project(0, 0);
  EXPECT_DOUBLE_EQ(centre.x, 0.5);
  EXPECT_NEAR(centre.y, 0.5, 1e-15);
  const TilePos one = MapToTile(centre.x, centre.y, 1);
  EXPECT_EQ(one.tileX, 1);
  EXPECT_EQ(one.tileY, 1);
  EXPECT_EQ(one.pixelX, 0);
  EXPECT_EQ(one.pixelY, 0);

  // Longitude 180: a tile number one past the last, which no server has.
  const MapPoint east = Project(10, 180);
  EXPECT_DOUBLE_EQ(east.x, 1.0);
  EXPECT_EQ(MapToTile(east.x, east.y, 12).tileX, 4096);

  // Beyond the Mercator square's edge (85.05°) the rows run past 0 and 2^zoom - 1, unwrapped;
  // a pole itself stays a finite number.
  EXPECT_LT(MapToTile(0.5, Project(86, 0).y, 5).tileY, 0);
  EXPECT_GE(MapToTile(0.5, Project(-86, 0).y, 5).tileY, 32);
  const TilePos pole = MapToTile(0.5, Project(90, 0).y, 12);
  EXPECT_LT(pole.tileY, -10000);
  EXPECT_EQ(MapToTile(-0.25, 0.5, 3).tileX, -2);
}

TEST(MapGeometry, PixelRoundsHalfToEvenAndMayReachTheTileSize) {
  // 0.5 / 256 of a tile is half a pixel: rounds to the even 0; 1.5 / 256 rounds to 2.
  EXPECT_EQ(MapToTile(0.5 / 256.0 / 8.0, 0, 3).pixelX, 0);
  EXPECT_EQ(MapToTile(1.5 / 256.0 / 8.0, 0, 3).pixelX, 2);
  EXPECT_EQ(MapToTile((1.0 - 0.1 / 256.0) / 8.0, 0, 3).pixelX, 256);
}

TEST(MapGeometry, CentreLayoutPutsThePointAtTheCentreAndCoversTheView) {
  for (const auto& [width, height] :
       {std::pair{852, 602}, {1600, 1000}, {3840, 2160}, {300, 300}}) {
    const MapPoint p = Project(44.5386, 7.6125);
    const GridLayout g = CenterLayout(12, p.x, p.y, width, height);
    const ViewPoint v = ViewPosition(g, p.x, p.y);
    EXPECT_EQ(v.x, width / 2);
    EXPECT_EQ(v.y, height / 2);
    EXPECT_GE(g.xOffset, -256);
    EXPECT_LE(g.xOffset, 0);
    EXPECT_GE(g.yOffset, -256);
    EXPECT_LE(g.yOffset, 0);
    EXPECT_GE(g.xOffset + g.columns * 256, width) << width;
    EXPECT_GE(g.yOffset + g.rows * 256, height) << height;
    const MapXY back = ViewCentre(g, width, height);
    EXPECT_NEAR(back.x, p.x, 1.0 / 4096 / 256);
    EXPECT_NEAR(back.y, p.y, 1.0 / 4096 / 256);
  }
}

TEST(MapGeometry, RelayoutFoldsTheDragIntoWholeTiles) {
  GridLayout g{2170, 1476, 12, 4, 3, -100, -50};
  struct Case {
    int dragX, dragY;
    std::int32_t originX, originY;
    int xOffset, yOffset;
  };
  for (const Case& c : {Case{0, 0, 2170, 1476, -100, -50}, Case{150, 0, 2169, 1476, -206, -50},
                        Case{-200, 0, 2171, 1476, -44, -50}, Case{0, 50, 2170, 1476, -100, 0},
                        Case{0, 51, 2170, 1475, -100, -255}, Case{-157, -207, 2171, 1477, -1, -1},
                        Case{-156, 0, 2170, 1476, -256, -50}}) {
    const GridLayout r = RelayoutOf(g, c.dragX, c.dragY, 852, 602);
    EXPECT_EQ(r.originX, c.originX) << c.dragX;
    EXPECT_EQ(r.originY, c.originY) << c.dragY;
    EXPECT_EQ(r.xOffset, c.xOffset) << c.dragX;
    EXPECT_EQ(r.yOffset, c.yOffset) << c.dragY;
    EXPECT_GE(r.xOffset + r.columns * 256, 852);
    EXPECT_LT(r.xOffset + (r.columns - 1) * 256, 852);
  }
}

TEST(MapGeometry, NearEdgeAndInsideView) {
  EXPECT_TRUE(NearEdge({99, 300}, 852, 602));
  EXPECT_FALSE(NearEdge({100, 300}, 852, 602));
  EXPECT_FALSE(NearEdge({752, 502}, 852, 602));
  EXPECT_TRUE(NearEdge({753, 300}, 852, 602));
  EXPECT_TRUE(NearEdge({400, 503}, 852, 602));
  EXPECT_TRUE(NearEdge({-10, 300}, 852, 602));
  EXPECT_TRUE(InsideView({852, 602}, 852, 602));
  EXPECT_FALSE(InsideView({853, 602}, 852, 602));
  EXPECT_FALSE(InsideView({0, -1}, 852, 602));
}

TEST(MapGeometry, CachePathsUrlsAndDownloadAreas) {
  EXPECT_EQ(TileFile("/srv/maps", 1, 12, 2170, 1478), "/srv/maps/t01/12/2170/1478.png");
  EXPECT_EQ(TileFile("/srv/maps", 2, 12, 2170, 1478), "/srv/maps/t02/12/2170/1478.png");
  EXPECT_EQ(TileFile("m", 7, 3, -1, 0), "m/t01/3/-1/0.png");
  EXPECT_EQ(TileUrl("https://tile.openstreetmap.org", 12, 2170, 1478),
            "https://tile.openstreetmap.org/12/2170/1478.png");

  const TileArea view{12, 2170, 2173, 1476, 1478};
  EXPECT_EQ(AreaText(view), "12,(2170-2173),(1476-1478)");
  EXPECT_EQ(AreaText(AreaAtZoom(view, 14)), "14,(8680-8695),(5904-5915)");
  EXPECT_EQ(TotalTiles(view, 14), 252);
  EXPECT_EQ(TotalTiles(view, 12), 12);
  EXPECT_EQ(TotalTiles(view, 11), 0);
}

TEST(MapSettings, TileUrlsAsTyped) {
  EXPECT_EQ(NormalTileUrl(" tile.example.org/ "), "https://tile.example.org");
  EXPECT_EQ(NormalTileUrl("http://127.0.0.1:8080/tiles//"), "http://127.0.0.1:8080/tiles");
  EXPECT_EQ(NormalTileUrl(""), "");
  EXPECT_EQ(MaxZoomOf(2), 16);
  EXPECT_EQ(MaxZoomOf(7), 19);
}

}  // namespace
}  // namespace windlark
