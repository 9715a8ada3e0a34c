#include "rotor/RotorTracking.h"

#include <charconv>
#include <cstdlib>
#include <string>

namespace windlark {

bool TrackingNeedsMove(int lastAzimuth, int lastElevation, int azimuth, int elevation,
                       int sensitivity) {
  return std::abs(lastAzimuth - azimuth) >= sensitivity ||
         std::abs(lastElevation - elevation) >= sensitivity;
}

int InstantSetValue(std::string_view text) {
  int value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size()) return 0;
  return value;
}

bool InstantSetAccepts(std::string_view text, char key, bool azimuth) {
  if (key < '0' || key > '9') return false;
  const std::string next = std::string(text) + key;
  long long value = 0;
  const auto [end, ec] = std::from_chars(next.data(), next.data() + next.size(), value);
  // Too many digits to read is no angle either.
  if (ec != std::errc() || end != next.data() + next.size()) return false;
  return azimuth ? value < 360 : value <= 180;
}

std::optional<RotorPreset> PresetForEntry(const std::vector<RotorPreset>& rows, int entry,
                                          std::string_view name) {
  if (entry < 0) return std::nullopt;
  int seen = 0;
  for (const RotorPreset& row : rows) {
    if (row.name.empty()) continue;
    if (seen++ == entry) {
      if (row.name != name) return std::nullopt;
      return row;
    }
  }
  return std::nullopt;
}

void RotorRequests::MoveTo(int azimuth, int elevation) {
  std::lock_guard lock(m_mutex);
  m_pending = {Kind::Move, azimuth, elevation};
}

void RotorRequests::StopRotor() {
  std::lock_guard lock(m_mutex);
  m_pending.kind = Kind::Stop;
}

RotorRequests::Request RotorRequests::Take() {
  std::lock_guard lock(m_mutex);
  Request request = m_pending;
  m_pending.kind = Kind::None;
  return request;
}

}  // namespace windlark
