#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "map/MapGeometry.h"

namespace windlark {

// One cell of the grid: a tile's picture once it is loaded.
template <class Image>
struct TileSlot {
  Image image{};
  std::int32_t tileX = 0;
  std::int32_t tileY = 0;
  bool loaded = false;
};

// The tiles covering the view, addressed by column then row; slot (c, r) normally holds tile
// (origin x + c, origin y + r). A new layout keeps every loaded tile still in view. The caller
// holds the grid lock around every call; the abort and all-loaded flags are read by the loading
// pass between tiles without it.
template <class Image>
class TileGrid {
 public:
  using Slot = TileSlot<Image>;

  // Lays the grid out; true when a loading pass is needed. Only a layout that changes what a slot
  // must hold aborts the running pass; one that leaves the slots as they are lets it go on, as
  // nobody would ask for another.
  bool LayoutGrid(const GridLayout& g) {
    EnsureCapacity(g.columns, g.rows);
    bool request = false;
    const GridLayout old = m_layout;
    if (g.zoom != old.zoom || old.columns <= 0 || old.rows <= 0) {
      abort.store(true);
      for (int c = 0; c < g.columns; ++c) {
        for (int r = 0; r < g.rows; ++r) Fresh(At(c, r), g.originX + c, g.originY + r);
      }
      allLoaded.store(false);
      request = true;
    } else if (g.originX != old.originX || g.originY != old.originY) {
      abort.store(true);
      const long long dx = static_cast<long long>(g.originX) - old.originX;
      const long long dy = static_cast<long long>(g.originY) - old.originY;
      // Visiting away from the direction of the move reads every source before it is written.
      for (int i = 0; i < g.columns; ++i) {
        const int c = dx > 0 ? i : g.columns - 1 - i;
        for (int j = 0; j < g.rows; ++j) {
          const int r = dy > 0 ? j : g.rows - 1 - j;
          const long long sc = c + dx;
          const long long sr = r + dy;
          const std::int32_t wantX = g.originX + c;
          const std::int32_t wantY = g.originY + r;
          Slot& target = At(c, r);
          if (sc >= 0 && sc < old.columns && sr >= 0 && sr < old.rows) {
            const Slot& source = At(static_cast<int>(sc), static_cast<int>(sr));
            if (source.loaded && source.tileX == wantX && source.tileY == wantY) {
              if (&source != &target) target = source;
              continue;
            }
          }
          Fresh(target, wantX, wantY);
          allLoaded.store(false);
        }
      }
      request = true;
    } else {
      bool grew = false;
      if (g.columns > old.columns) {
        for (int r = 0; r < old.rows; ++r) {
          for (int c = old.columns; c < g.columns; ++c) {
            const Slot& left = At(c - 1, r);
            Fresh(At(c, r), left.tileX + 1, left.tileY);
          }
        }
        grew = true;
      }
      if (g.rows > old.rows) {
        const int columns = g.columns > old.columns ? g.columns : old.columns;
        for (int c = 0; c < columns; ++c) {
          for (int r = old.rows; r < g.rows; ++r) {
            const Slot& above = At(c, r - 1);
            Fresh(At(c, r), above.tileX, above.tileY + 1);
          }
        }
        grew = true;
      }
      if (grew) {
        abort.store(true);
        allLoaded.store(false);
        request = true;
      }
      if (!allLoaded.load()) request = true;
    }
    m_layout = g;
    return request;
  }

  // Every slot in use is to be loaded again (another map type or folder).
  void MarkAllUnloaded() {
    for (int c = 0; c < m_layout.columns; ++c) {
      for (int r = 0; r < m_layout.rows; ++r) At(c, r).loaded = false;
    }
    allLoaded.store(false);
  }

  const GridLayout& Layout() const { return m_layout; }
  Slot& At(int column, int row) {
    return m_slots[static_cast<std::size_t>(column)][static_cast<std::size_t>(row)];
  }
  const Slot& At(int column, int row) const {
    return m_slots[static_cast<std::size_t>(column)][static_cast<std::size_t>(row)];
  }
  // Slots that exist; it grows with the view and never shrinks.
  int CapacityColumns() const { return static_cast<int>(m_slots.size()); }
  int CapacityRows() const { return m_rowCapacity; }

  std::atomic<bool> abort{false};
  std::atomic<bool> allLoaded{false};

 private:
  void Fresh(Slot& slot, std::int32_t x, std::int32_t y) {
    slot.tileX = x;
    slot.tileY = y;
    slot.loaded = false;
    slot.image = Image{};
  }

  void EnsureCapacity(int columns, int rows) {
    if (rows > m_rowCapacity) {
      m_rowCapacity = rows;
      for (auto& column : m_slots) column.resize(static_cast<std::size_t>(rows));
    }
    if (columns > CapacityColumns()) {
      m_slots.resize(static_cast<std::size_t>(columns),
                     std::vector<Slot>(static_cast<std::size_t>(m_rowCapacity)));
    }
  }

  std::vector<std::vector<Slot>> m_slots;
  int m_rowCapacity = 0;
  GridLayout m_layout;
};

}  // namespace windlark
