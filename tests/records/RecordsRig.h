#pragma once

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "base/Projection.h"
#include "decoder/TelemetryLog.h"

namespace windlark::test {

// A private folder under the system's temporary folder, removed with everything in it.
class TempFolder {
 public:
  TempFolder() {
    m_path = std::filesystem::temp_directory_path() /
             ("windlark-records-" + std::to_string(::getpid()) + "-" + std::to_string(s_next++));
    std::filesystem::create_directories(m_path);
  }
  ~TempFolder() {
    std::error_code ec;
    std::filesystem::remove_all(m_path, ec);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::filesystem::path& Path() const { return m_path; }
  std::filesystem::path operator/(const std::string& name) const { return m_path / name; }
  int EntryCount() const {
    int n = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(m_path)) ++n;
    return n;
  }

 private:
  static inline int s_next = 0;
  std::filesystem::path m_path;
};

inline std::string ReadAll(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void WriteAll(const std::filesystem::path& file, const std::string& text) {
  std::ofstream(file, std::ios::binary) << text;
}

inline TelemetryPoint MakePoint(double latitude, double longitude, double altitude,
                                std::uint8_t satellites, std::string timestamp) {
  TelemetryPoint point;
  point.latitude = latitude;
  point.longitude = longitude;
  point.altitude = altitude;
  const MapPoint map = Project(latitude, longitude);
  point.mapX = map.x;
  point.mapY = map.y;
  point.timestamp = std::move(timestamp);
  point.frame.gpsTimeValid = 1;
  point.frame.positionValid = satellites > 0 ? 1 : 0;
  point.frame.numSatellites = satellites;
  return point;
}

inline void SetPtu(TelemetryPoint& point, double temperature, double pressure, double humidity,
                   double dewPoint) {
  point.frame.ptuValid = 1;
  point.frame.temperature = temperature;
  point.frame.pressure = pressure;
  point.frame.humidity = humidity;
  point.frame.dewPoint = dewPoint;
}

// A tiny flight: a full entry, one without satellites, one with humidity 0, one without GPS
// time (its time text is still the last one received), one without PTU.
inline TelemetrySnapshot SampleFlight() {
  TelemetrySnapshot points;
  auto& full = points.emplace_back(MakePoint(-45.5, 7.25, 1234.56, 8, "2019-06-01T12:34:56Z"));
  SetPtu(full, -12.34, 850.06, 45.26, -20.0);
  full.frame.batteryVoltage = 2.9;
  full.frame.horizontalSpeed = 10.26;
  full.frame.windDirection = 270.4;
  full.frame.verticalSpeed = 5.04;

  SetPtu(points.emplace_back(MakePoint(-45.6, 7.3, 1240, 0, "2019-06-01T12:34:57Z")), 1, 2, 3, 4);

  auto& dry = points.emplace_back(MakePoint(46.123456789, -0.5, 0.04, 5, "2019-06-01T12:34:58Z"));
  SetPtu(dry, 3.06, 1013.26, 0, -1.5);
  dry.frame.verticalSpeed = -0.44;
  dry.frame.windDirection = 359.6;

  auto& untimed =
      points.emplace_back(MakePoint(0.0000004, 179.9999996, -12.3, 6, "2019-06-01T12:34:58Z"));
  untimed.frame.gpsTimeValid = 0;

  auto& noPtu = points.emplace_back(MakePoint(52.2, 14.1, 30000, 12, "2019-06-01T12:35:00Z"));
  noPtu.frame.batteryVoltage = 2.74;
  return points;
}

}  // namespace windlark::test
