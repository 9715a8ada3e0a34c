#include "xdata/PanelPlacement.h"

#include <gtest/gtest.h>

#include <initializer_list>

namespace windlark {
namespace {

ChainOccupancy Occupied(std::initializer_list<int> positions) {
  ChainOccupancy occupied{};
  for (int position : positions) occupied[static_cast<std::size_t>(position)] = true;
  return occupied;
}

TEST(PanelPlacement, FirstPanelMovesTheWindowBesideTheMainWindow) {
  const PanelArrangement layout = ArrangePanels(Occupied({2}), 120, 40);
  ASSERT_TRUE(layout.windowTopLeft.has_value());
  EXPECT_EQ(*layout.windowTopLeft, (WindowPoint{320, 127}));
  ASSERT_TRUE(layout.arrange);
  EXPECT_EQ(layout.spots, (std::vector<PanelSpot>{{2, 0, 0}}));
  EXPECT_EQ(layout.width, 155);
  EXPECT_EQ(layout.height, 176);
}

TEST(PanelPlacement, ColumnsOfThreeInPositionOrderWithoutGaps) {
  PanelArrangement layout = ArrangePanels(Occupied({7, 1, 5, 2}), 120, 40);
  EXPECT_FALSE(layout.windowTopLeft.has_value());
  EXPECT_EQ(layout.spots,
            (std::vector<PanelSpot>{{1, 0, 0}, {2, 0, 176}, {5, 0, 352}, {7, 155, 0}}));
  EXPECT_EQ(layout.width, 310);
  EXPECT_EQ(layout.height, 528);

  layout = ArrangePanels(Occupied({1, 2, 3, 4, 5, 6, 7, 8, 9}), 0, 0);
  ASSERT_EQ(layout.spots.size(), 9U);
  EXPECT_EQ(layout.spots.back(), (PanelSpot{9, 310, 352}));
  EXPECT_EQ(layout.width, 465);
  EXPECT_EQ(layout.height, 528);
}

TEST(PanelPlacement, AnEmptyChainPlacesNothingAndLeavesTheWindowWhereItIs) {
  const PanelArrangement layout = ArrangePanels(Occupied({}), 120, 40);
  EXPECT_FALSE(layout.windowTopLeft.has_value());
  EXPECT_FALSE(layout.arrange);
  EXPECT_TRUE(layout.spots.empty());
}

}  // namespace
}  // namespace windlark
