#include "map/TileGrid.h"

#include <gtest/gtest.h>

#include <string>

namespace windlark {
namespace {

// The picture is the tile's own name, so a test sees which tile each slot holds.
using Grid = TileGrid<std::string>;

std::string Name(std::int32_t x, std::int32_t y) {
  return std::to_string(x) + "/" + std::to_string(y);
}

void LoadAll(Grid& grid) {
  const GridLayout& g = grid.Layout();
  for (int c = 0; c < g.columns; ++c) {
    for (int r = 0; r < g.rows; ++r) {
      auto& slot = grid.At(c, r);
      slot.image = Name(slot.tileX, slot.tileY);
      slot.loaded = true;
    }
  }
  grid.allLoaded = true;
}

int Unloaded(const Grid& grid) {
  int n = 0;
  const GridLayout& g = grid.Layout();
  for (int c = 0; c < g.columns; ++c) {
    for (int r = 0; r < g.rows; ++r) {
      const auto& slot = grid.At(c, r);
      EXPECT_EQ(slot.tileX, g.originX + c);
      EXPECT_EQ(slot.tileY, g.originY + r);
      if (slot.loaded) {
        EXPECT_EQ(slot.image, Name(slot.tileX, slot.tileY));
      } else {
        ++n;
      }
    }
  }
  return n;
}

TEST(TileGrid, AMoveKeepsEveryTileStillInView) {
  Grid grid;
  EXPECT_TRUE(grid.LayoutGrid({2170, 1476, 12, 4, 3, -10, -20}));
  EXPECT_TRUE(grid.abort.load());
  EXPECT_EQ(Unloaded(grid), 12);
  LoadAll(grid);

  // One tile east: the westmost column goes, only the new eastmost one is to load.
  EXPECT_TRUE(grid.LayoutGrid({2171, 1476, 12, 4, 3, -10, -20}));
  EXPECT_EQ(Unloaded(grid), 3);
  for (int r = 0; r < 3; ++r) EXPECT_FALSE(grid.At(3, r).loaded);
  EXPECT_FALSE(grid.allLoaded.load());
  LoadAll(grid);

  // Diagonally back west and north, and far away.
  grid.LayoutGrid({2169, 1475, 12, 4, 3, 0, 0});
  EXPECT_EQ(Unloaded(grid), 12 - 4);
  LoadAll(grid);
  grid.LayoutGrid({9000, 1475, 12, 4, 3, 0, 0});
  EXPECT_EQ(Unloaded(grid), 12);
}

TEST(TileGrid, ANewZoomLoadsEverythingAndAStillGridAsksOnlyWhileIncomplete) {
  Grid grid;
  grid.LayoutGrid({2170, 1476, 12, 4, 3, 0, 0});
  LoadAll(grid);
  // Same origin, same extent: nothing to load.
  EXPECT_FALSE(grid.LayoutGrid({2170, 1476, 12, 4, 3, -5, -5}));
  grid.At(1, 1).loaded = false;
  grid.allLoaded = false;
  EXPECT_TRUE(grid.LayoutGrid({2170, 1476, 12, 4, 3, -5, -5}));

  EXPECT_TRUE(grid.LayoutGrid({4340, 2952, 13, 4, 3, 0, 0}));
  EXPECT_EQ(Unloaded(grid), 12);
}

TEST(TileGrid, ALayoutThatKeepsEverySlotLetsARunningPassGoOn) {
  Grid grid;
  grid.LayoutGrid({2170, 1476, 12, 4, 3, 0, 0});
  // A pass has begun: it has cleared the abort flag and counts on loading everything.
  grid.abort = false;
  grid.allLoaded = true;
  // Redrawn at other pixel offsets, then smaller: an abort here would leave tiles unloaded with
  // no pass to come.
  EXPECT_FALSE(grid.LayoutGrid({2170, 1476, 12, 4, 3, -7, -3}));
  EXPECT_FALSE(grid.abort.load());
  EXPECT_FALSE(grid.LayoutGrid({2170, 1476, 12, 3, 2, -7, -3}));
  EXPECT_FALSE(grid.abort.load());
  // A layout that needs other tiles aborts it and asks for the next.
  EXPECT_TRUE(grid.LayoutGrid({2170, 1476, 12, 5, 3, 0, 0}));
  EXPECT_TRUE(grid.abort.load());
  grid.abort = false;
  EXPECT_TRUE(grid.LayoutGrid({2171, 1476, 12, 5, 3, 0, 0}));
  EXPECT_TRUE(grid.abort.load());
}

TEST(TileGrid, GrowsWithTheViewBeyondSixteenByTen) {
  Grid grid;
  grid.LayoutGrid({100, 200, 10, 4, 3, 0, 0});
  LoadAll(grid);
  // A 4K view: 17 columns and 10 rows; the old tiles stay, the new ones follow on.
  EXPECT_TRUE(grid.LayoutGrid({100, 200, 10, 17, 10, 0, 0}));
  EXPECT_EQ(Unloaded(grid), 17 * 10 - 12);
  EXPECT_GE(grid.CapacityColumns(), 17);
  EXPECT_GE(grid.CapacityRows(), 10);
  LoadAll(grid);
  // Shrinking keeps the slots; growing back finds them loaded.
  EXPECT_FALSE(grid.LayoutGrid({100, 200, 10, 5, 4, 0, 0}));
  EXPECT_EQ(Unloaded(grid), 0);

  grid.MarkAllUnloaded();
  EXPECT_TRUE(grid.LayoutGrid({100, 200, 10, 5, 4, 0, 0}));
  EXPECT_EQ(Unloaded(grid), 20);
}

}  // namespace
}  // namespace windlark
