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

}  // namespace windlark
