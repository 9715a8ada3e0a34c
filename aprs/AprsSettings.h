#pragma once

#include <array>
#include <string>
#include <string_view>

namespace windlark {

// APRS-IS rotation hosts of the four regions ("ServerNum" 1..4): the aprs2.net tier-2 network.
inline constexpr std::array<std::string_view, 4> kAprsRegionHosts = {
    "euro.aprs2.net", "aunz.aprs2.net", "noam.aprs2.net", "soam.aprs2.net"};
inline constexpr int kAprsPort = 14580;

// The launch site defaults to the home position's default.
inline constexpr double kDefaultLaunchLatitude = 44.5386;
inline constexpr double kDefaultLaunchLongitude = 7.6125;

struct AprsSettings {
  bool enable = false;
  bool autoStart = false;
  std::string callSign;
  bool homePositionEnable = false;
  int homeSsid = 15;
  int password = -1;  // -1: none
  int serverNum = 0;  // 1..4 the region; 0 none
  double launchLatitude = kDefaultLaunchLatitude;
  double launchLongitude = kDefaultLaunchLongitude;
  int rangeKm = 50;
  int monitoringMode = 0;  // 0 "World", 1 "Local zone (Launch site)"
};

// What the APRS-IS client logs in with.
struct AprsLogin {
  std::string version;  // major "." minor
  std::string loginCallsign;
  bool sendHomePosition = false;
  std::string homeCallsign;
  int passcode = -1;
  std::string serverHost;
  std::string filterLine;
};

}  // namespace windlark
