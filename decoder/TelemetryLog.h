#pragma once

#include <cstddef>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "base/Projection.h"
#include "decoder/SondeState.h"

namespace windlark {

// One log entry per frame with a position block.
struct TelemetryPoint {
  double latitude = 0;
  double longitude = 0;
  double altitude = 0;
  double mapX = 0;
  double mapY = 0;
  std::string timestamp;  // GPS time "YYYY-MM-DDTHH:MM:SSZ"
  FrameRecord frame;
};

using TelemetrySnapshot = std::vector<TelemetryPoint>;

// The flight's log: appended at the tail on the decoding thread, emptied all at once for a new
// sonde. Readers on other threads (exports) work on a snapshot, so a reset while they run
// neither frees what they read nor changes it.
class TelemetryLog {
 public:
  void Append(TelemetryPoint point);
  void Clear();
  std::size_t Count() const;
  bool Empty() const { return Count() == 0; }
  std::optional<TelemetryPoint> Last() const;
  // A copy of every entry, oldest first.
  TelemetrySnapshot Snapshot() const;
  // The map coordinates of every entry, oldest first: what the map draws, without copying the
  // rest of each entry.
  std::vector<MapPoint> MapTrack() const;

 private:
  mutable std::mutex m_mutex;
  std::vector<TelemetryPoint> m_points;
};

}  // namespace windlark
