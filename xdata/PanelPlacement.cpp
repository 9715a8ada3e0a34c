#include "xdata/PanelPlacement.h"

#include <algorithm>

namespace windlark {

PanelArrangement ArrangePanels(const ChainOccupancy& occupied, int anchorLeft, int anchorTop) {
  PanelArrangement result;
  const auto count = static_cast<int>(std::count(occupied.begin() + 1, occupied.end(), true));
  if (count == 1)
    result.windowTopLeft =
        WindowPoint{anchorLeft + kAuxWindowOffsetX, anchorTop + kAuxWindowOffsetY};
  if (count < 1) return result;

  result.arrange = true;
  int x = 0;
  int y = 0;
  for (int position = kFirstChainPosition; position <= kLastChainPosition; ++position) {
    if (!occupied[static_cast<std::size_t>(position)]) continue;
    result.spots.push_back({position, x, y});
    result.width = std::max(result.width, x + kAuxPanelWidth);
    result.height = std::max(result.height, y + kAuxPanelHeight);
    y += kAuxPanelHeight;
    if (y > (kAuxPanelsPerColumn - 1) * kAuxPanelHeight) {
      y = 0;
      x += kAuxPanelWidth;
    }
  }
  return result;
}

}  // namespace windlark
