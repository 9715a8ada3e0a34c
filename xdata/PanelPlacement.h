#pragma once

#include <array>
#include <optional>
#include <vector>

#include "xdata/InstrumentChain.h"

// Where the auxiliary sensors window and its panels go: columns of three panels, top to bottom,
// left to right, in position order with the gaps of missing positions closed.
namespace windlark {

inline constexpr int kAuxPanelWidth = 155;
inline constexpr int kAuxPanelHeight = 176;
inline constexpr int kAuxPanelsPerColumn = 3;
// The window opens this far right of and below the main window's top-left corner.
inline constexpr int kAuxWindowOffsetX = 200;
inline constexpr int kAuxWindowOffsetY = 87;
// The size the emptied window shrinks to.
inline constexpr int kAuxEmptyWindowSize = 10;

// Which positions hold a panel, indexed by position (index 0 unused).
using ChainOccupancy = std::array<bool, kLastChainPosition + 1>;

struct PanelSpot {
  int position = 0;
  int x = 0;
  int y = 0;
  friend bool operator==(const PanelSpot&, const PanelSpot&) = default;
};

struct WindowPoint {
  int left = 0;
  int top = 0;
  friend bool operator==(const WindowPoint&, const WindowPoint&) = default;
};

struct PanelArrangement {
  // Set when the window moves beside the main window (exactly one panel).
  std::optional<WindowPoint> windowTopLeft;
  // False when no panel exists: nothing is placed and the window is not shown.
  bool arrange = false;
  std::vector<PanelSpot> spots;
  int width = 0;  // the client size enclosing the panels
  int height = 0;
};

// The layout after a panel was created or removed; anchorLeft/anchorTop are the main window's
// left and top edges as passed with the last creation.
PanelArrangement ArrangePanels(const ChainOccupancy& occupied, int anchorLeft, int anchorTop);

}  // namespace windlark
