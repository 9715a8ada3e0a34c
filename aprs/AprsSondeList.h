#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "aprs/AprsObject.h"

namespace windlark {

// The sondes heard on APRS-IS and the station's own, in order of first appearance, with the
// monitoring or tracking mode that decides who may enter. The client's thread merges received
// reports, the window's thread merges the own sonde and draws from snapshots: every operation
// takes the one lock, and nothing leaves but copies.
class AprsSondeList {
 public:
  // The merge rules of a report; true when the list changed.
  bool MergeSonde(const AprsSonde& report);
  // One minute tick: ages every entry (a tracked sonde never falls below 1) and drops the
  // expired ones.
  void AgeSondes();
  // Empties the list; the mode stays.
  void ClearSondes();
  // Tracking: keeps only `name`, and from now on lets only it in.
  void StartTracking(const std::string& name);
  void StartMonitoring();

  // The PC's UTC time of day at the last minute tick or connection.
  void SetTimeOfDay(int secondsOfDay);
  int TimeOfDay() const;

  bool Tracking() const;
  std::string TrackedName() const;
  int Available() const;
  // "Avail NN" while monitoring, "Lock" while tracking.
  std::string CountText() const;
  std::vector<AprsSonde> Snapshot() const;
  std::vector<std::string> Names() const;

 private:
  mutable std::mutex m_mutex;
  std::vector<AprsSonde> m_sondes;
  int m_available = 0;
  bool m_tracking = false;
  std::string m_trackedName;
  int m_timeOfDay = 0;
};

}  // namespace windlark
