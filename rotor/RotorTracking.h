#pragma once

#include <mutex>
#include <optional>
#include <string_view>
#include <vector>

#include "rotor/RotorSettings.h"

namespace windlark {

// Tracking moves the antenna once the sonde is `sensitivity` degrees or more away from the
// last commanded position in either angle. Plain differences: no wrap at north.
bool TrackingNeedsMove(int lastAzimuth, int lastElevation, int azimuth, int elevation,
                       int sensitivity);

// "Instant Set " typing: digits only (backspace is the field's own); a digit is refused when
// the text with it appended reads 360 or more (azimuth) or more than 180 (elevation).
bool InstantSetAccepts(std::string_view text, char key, bool azimuth);

// A field's text as an angle; empty or not a number is 0.
int InstantSetValue(std::string_view text);

// The preset a drop-down entry stands for: the `entry`-th non-empty row of the grid, whose
// name must still be `name`. Nothing when the grid was edited under the open window.
std::optional<RotorPreset> PresetForEntry(const std::vector<RotorPreset>& rows, int entry,
                                          std::string_view name);

// The window's requests to the link, taken by the link's thread. A request that arrives while
// another is pending replaces it.
class RotorRequests {
 public:
  enum class Kind { None = 0, Move = 1, Stop = 2 };
  struct Request {
    Kind kind = Kind::None;
    int azimuth = 0;
    int elevation = 0;
  };

  void MoveTo(int azimuth, int elevation);
  void StopRotor();
  // The pending request, cleared.
  Request Take();

 private:
  std::mutex m_mutex;
  Request m_pending;
};

}  // namespace windlark
