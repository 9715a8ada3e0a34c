#pragma once

#include <string>
#include <vector>

namespace windlark {

inline constexpr const char* kDefaultRigctlHost = "127.0.0.1";
// hamlib's rigctld; gqrx listens on 7356, SDR++ on 4532 as well.
inline constexpr int kDefaultRigctlPort = 4532;

// How the receiver is tuned: SDR#'s Net Remote plug-in, or the hamlib rigctl text protocol
// (gqrx, SDR++, rigctld in front of a hardware receiver).
enum class RadioLinkKind { NetRemote = 0, Rigctl = 1 };

struct RadioSettings {
  int netRemotePort = 3382;
  std::vector<int> frequenciesHz;
  bool autorun = false;
  bool restartScan = true;
  int rearmTimeMin = 5;  // the rescan delay
  RadioLinkKind link = RadioLinkKind::NetRemote;
  std::string rigctlHost = kDefaultRigctlHost;
  int rigctlPort = kDefaultRigctlPort;
};

}  // namespace windlark
