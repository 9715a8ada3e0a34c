#include "aprs/AprsSondeList.h"

#include <algorithm>

#include "aprs/AprsLines.h"

namespace windlark {

bool AprsSondeList::MergeSonde(const AprsSonde& report) {
  std::lock_guard lock(m_mutex);
  const auto found = std::find_if(m_sondes.begin(), m_sondes.end(),
                                  [&](const AprsSonde& s) { return s.name == report.name; });
  if (found != m_sondes.end()) {
    AprsSonde& entry = *found;
    entry.age = 5;
    if (!AcceptedAtTime(report, m_timeOfDay) || !NewerThan(report, entry)) return false;
    entry.latitude = report.latitude;
    entry.longitude = report.longitude;
    entry.altitude = report.altitude;
    entry.hour = report.hour;
    entry.minute = report.minute;
    entry.second = report.second;
    entry.ownSonde = report.ownSonde;
    entry.mapX = report.mapX;
    entry.mapY = report.mapY;
    entry.programTag = entry.programTag || report.programTag;
    return true;
  }
  if (m_tracking && report.name != m_trackedName) return false;
  if (!AcceptedAtTime(report, m_timeOfDay)) return false;
  AprsSonde entry = report;
  entry.age = 5;
  m_sondes.push_back(entry);
  ++m_available;
  return true;
}

void AprsSondeList::AgeSondes() {
  std::lock_guard lock(m_mutex);
  for (AprsSonde& s : m_sondes) {
    if (!m_tracking || s.age > 1) --s.age;
  }
  const auto expired = std::remove_if(m_sondes.begin(), m_sondes.end(),
                                      [](const AprsSonde& s) { return s.age <= 0; });
  m_available -= static_cast<int>(m_sondes.end() - expired);
  m_sondes.erase(expired, m_sondes.end());
}

void AprsSondeList::ClearSondes() {
  std::lock_guard lock(m_mutex);
  m_sondes.clear();
  m_available = 0;
}

void AprsSondeList::StartTracking(const std::string& name) {
  std::lock_guard lock(m_mutex);
  m_tracking = true;
  m_trackedName = name;
  const auto others = std::remove_if(m_sondes.begin(), m_sondes.end(),
                                     [&](const AprsSonde& s) { return s.name != name; });
  m_available -= static_cast<int>(m_sondes.end() - others);
  m_sondes.erase(others, m_sondes.end());
}

void AprsSondeList::StartMonitoring() {
  std::lock_guard lock(m_mutex);
  m_tracking = false;
}

void AprsSondeList::SetTimeOfDay(int secondsOfDay) {
  std::lock_guard lock(m_mutex);
  m_timeOfDay = secondsOfDay;
}

int AprsSondeList::TimeOfDay() const {
  std::lock_guard lock(m_mutex);
  return m_timeOfDay;
}

bool AprsSondeList::Tracking() const {
  std::lock_guard lock(m_mutex);
  return m_tracking;
}

std::string AprsSondeList::TrackedName() const {
  std::lock_guard lock(m_mutex);
  return m_trackedName;
}

int AprsSondeList::Available() const {
  std::lock_guard lock(m_mutex);
  return m_available;
}

std::string AprsSondeList::CountText() const {
  std::lock_guard lock(m_mutex);
  return m_tracking ? std::string(kLockText) : AvailableText(m_available);
}

std::vector<AprsSonde> AprsSondeList::Snapshot() const {
  std::lock_guard lock(m_mutex);
  return m_sondes;
}

std::vector<std::string> AprsSondeList::Names() const {
  std::lock_guard lock(m_mutex);
  std::vector<std::string> names;
  names.reserve(m_sondes.size());
  for (const AprsSonde& s : m_sondes) names.push_back(s.name);
  return names;
}

}  // namespace windlark
