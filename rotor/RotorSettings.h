#pragma once

#include <string>
#include <vector>

namespace windlark {

inline constexpr const char* kDefaultRotctldHost = "127.0.0.1";
inline constexpr int kDefaultRotctldPort = 4533;

// The rotor links: 0 GS-232 (serial), 1 the AZ/EL files, 2 EasyComm (serial), 3 raw
// (serial), 4 hamlib's rotctld over TCP.
enum class RotorProtocol { Gs232 = 0, Registry = 1, EasyComm = 2, Raw = 3, Rotctld = 4 };
inline constexpr int kRotorProtocolCount = 5;

// One row of the preset grid; a row with an empty name is blank.
struct RotorPreset {
  std::string name;
  int azimuthDeg = 0;
  int elevationDeg = 0;
};

struct RotorSettings {
  int protocol = 0;                  // a RotorProtocol
  int port = 1;                      // the n of "COMn"
  std::string portName;              // the selected port: "COMn" or a device path; empty for none
  int speedIndex = 3;                // into kBaudRates
  std::vector<RotorPreset> presets;  // grid rows 1..; never empty (one blank row at least)
  int sensitivityDeg = 1;
  int queryPeriodS = 5;
  std::string rotctldHost = kDefaultRotctldHost;
  int rotctldPort = kDefaultRotctldPort;
};

}  // namespace windlark
