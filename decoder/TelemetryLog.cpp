#include "decoder/TelemetryLog.h"

namespace windlark {

void TelemetryLog::Append(TelemetryPoint point) {
  const std::lock_guard lock(m_mutex);
  m_points.push_back(std::move(point));
}

void TelemetryLog::Clear() {
  const std::lock_guard lock(m_mutex);
  m_points.clear();
}

std::size_t TelemetryLog::Count() const {
  const std::lock_guard lock(m_mutex);
  return m_points.size();
}

std::optional<TelemetryPoint> TelemetryLog::Last() const {
  const std::lock_guard lock(m_mutex);
  if (m_points.empty()) return std::nullopt;
  return m_points.back();
}

TelemetrySnapshot TelemetryLog::Snapshot() const {
  const std::lock_guard lock(m_mutex);
  return m_points;
}

std::vector<MapPoint> TelemetryLog::MapTrack() const {
  const std::lock_guard lock(m_mutex);
  std::vector<MapPoint> track;
  track.reserve(m_points.size());
  for (const TelemetryPoint& point : m_points) track.push_back({point.mapX, point.mapY});
  return track;
}

}  // namespace windlark
