#pragma once

#include <string>
#include <string_view>

namespace windlark {

// The community tracking database's public API host.
inline constexpr std::string_view kDefaultSondeHubUrl = "https://api.v2.sondehub.org";

// Telemetry upload to SondeHub; off until the user enables it and gives a callsign.
struct SondeHubSettings {
  bool enable = false;
  std::string callsign;
  std::string antenna;
  bool mobile = false;    // a chase car: the listener record goes out once, not every 6 h
  bool testMode = false;  // "dev": the service checks the telemetry and keeps none of it
  std::string url = std::string(kDefaultSondeHubUrl);
  std::string caFile;  // an extra CA to trust (a private or test server)
};

// An uploader callsign the database shows as it is: 1 to 32 ASCII letters, digits, '-', '_', '/'.
constexpr bool SondeHubCallsignOk(std::string_view callsign) {
  if (callsign.empty() || callsign.size() > 32) return false;
  for (const char c : callsign) {
    const bool ok = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                    c == '-' || c == '_' || c == '/';
    if (!ok) return false;
  }
  return true;
}

}  // namespace windlark
