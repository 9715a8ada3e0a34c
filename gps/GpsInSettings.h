#pragma once

#include <string>

namespace windlark {

inline constexpr const char* kDefaultGpsdHost = "127.0.0.1";
inline constexpr int kDefaultGpsdPort = 2947;
inline constexpr const char* kDefaultChaseMapHost = "127.0.0.1";
inline constexpr int kDefaultChaseMapPort = 55673;

// Where the station's own position comes from.
enum class GpsSource { SerialPort = 0, Gpsd = 1 };

// The station GPS and the sonde-position publishers.
struct GpsInSettings {
  int protocol = 0;  // 0 NMEA 0183
  int port = 1;
  std::string portName;
  int speedIndex = 2;
  int dataBits = 8;  // 7 or 8
  int parity = 0;    // 0 None, 1 Odd, 2 Even, 3 Mark, 4 Space
  int stopBits = 0;  // 0 "1", 1 "1.5", 2 "2"

  // A gpsd daemon in place of the serial port.
  GpsSource source = GpsSource::SerialPort;
  std::string gpsdHost = kDefaultGpsdHost;
  int gpsdPort = kDefaultGpsdPort;

  // The chase map's JSON datagrams, one per frame with a trustworthy position.
  bool chaseMapFeed = false;
  std::string chaseMapHost = kDefaultChaseMapHost;
  int chaseMapPort = kDefaultChaseMapPort;
};

}  // namespace windlark
