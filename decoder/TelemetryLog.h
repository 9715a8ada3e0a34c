#pragma once

#include <cstddef>
#include <deque>
#include <string>

#include "decoder/SondeState.h"

namespace windlark {

// One log entry per frame with a position block.
struct TelemetryPoint {
  double latitude = 0;
  double longitude = 0;
  double altitude = 0;
  double mapX = 0;
  double mapY = 0;
  std::string timestamp;  // "YYYY-MM-DDTHH:MM:SSZ"
  FrameRecord frame;
};

// The flight's log: appended at the tail, emptied all at once for a new sonde.
class TelemetryLog {
 public:
  void Append(TelemetryPoint point) { m_points.push_back(std::move(point)); }
  void Clear() { m_points.clear(); }
  std::size_t Count() const { return m_points.size(); }
  bool Empty() const { return m_points.empty(); }
  const TelemetryPoint& Last() const { return m_points.back(); }
  auto begin() const { return m_points.begin(); }
  auto end() const { return m_points.end(); }

 private:
  std::deque<TelemetryPoint> m_points;
};

}  // namespace windlark
