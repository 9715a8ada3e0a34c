#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/IniFile.h"
#include "app/UpdateCheck.h"
#include "aprs/AprsSettings.h"
#include "gps/GpsInSettings.h"
#include "map/MapSettings.h"
#include "radio/RadioSettings.h"
#include "rotor/RotorSettings.h"
#include "signal/Demodulator.h"
#include "sondehub/SondeHubSettings.h"

namespace windlark {

// Serial speeds of the rotor and GPS ports, by the settings' speed index.
inline constexpr std::array<int, 8> kBaudRates = {1200,  2400,  4800,  9600,
                                                  19200, 38400, 57600, 115200};

inline constexpr int kFrequencyMinHz = 400000000;
inline constexpr int kFrequencyMaxHz = 407000000;
inline constexpr int kPresetCount = 10;
// Where a station can be: outside, ranges and look angles are nonsense (and an altitude near
// 2^31 m overflows the ECEF metres). A file's value outside reads as the default.
constexpr bool HomeLatitudeOk(double deg) {
  return deg >= -90.0 && deg <= 90.0;
}
constexpr bool HomeLongitudeOk(double deg) {
  return deg >= -180.0 && deg <= 180.0;
}
constexpr bool HomeAltitudeOk(long long metres) {
  return metres >= -1000 && metres <= 10000;
}

static_assert(kDefaultHomeLatitude == kDefaultLaunchLatitude &&
              kDefaultHomeLongitude == kDefaultLaunchLongitude);
// Not among the sections a save rewrites, so a host written here by hand stays.
inline constexpr std::string_view kHostsSection = "Hosts";

struct AudioSettings {
  int deviceIndex = -1;  // row of the device list; -1 is the system's default input
  bool autorun = false;
  // "Demodulator": "Standard" or "Enhanced"; anything else is Enhanced.
  DemodulatorKind demodulator = DemodulatorKind::Enhanced;
};

struct LogFileSettings {
  bool saveRawData = true;
  std::string rawDir;
};

struct UnitSettings {
  int windSpeed = 0;  // 0 "m/s", 1 "km/h", 2 "kts"
  int verticalSpeed = 0;
};

struct UpdateSettings {
  bool checkAtStartup = true;
  std::string versionFileUrl = std::string(kDefaultVersionFileUrl);
  std::string webPageUrl = std::string(kDefaultWebPageUrl);
};

// Every key of the settings file, as the settings dialog shows it.
struct Settings {
  AudioSettings audio;
  RadioSettings radio;
  LogFileSettings logs;
  MapSettings maps;
  UnitSettings units;
  UpdateSettings updates;
  RotorSettings rotor;
  AprsSettings aprs;
  GpsInSettings gps;
  SondeHubSettings sondehub;
};

// The texts of the dialog's free-text fields. A save converts them; the dialog fills them from
// TextsOf() at load and the user edits them.
struct SettingsTexts {
  std::string netRemotePort;
  std::string rearmTime;
  std::string homeLatitude;
  std::string homeLongitude;
  std::string homeAltitude;
  std::string rotorPort;  // the port list's text
  std::string password;
  std::string launchLatitude;
  std::string launchLongitude;
  std::string range;
  std::string gpsPort;
};

// What the settings depend on outside the file.
struct SettingsEnvironment {
  std::vector<std::string> audioDevices;  // input device names, device 0 first
  std::vector<std::string> serialPorts;   // device paths of the system's serial ports
  std::string defaultRawDir;
  std::string defaultMapDir;
  std::string aprsHostOverride;  // when set, every region's host (tests, private servers)
};

struct RawFolderCheck {
  bool saveRaw = false;
  std::string status;   // "Save Raw File: Enabled" / "Save Raw File: Disabled"
  std::string message;  // error box text, empty for none
};

struct LoadedSettings {
  Settings settings;
  SettingsTexts texts;                   // as the dialog shows them
  std::vector<std::string> serialPorts;  // the rotor's and the GPS's port lists
  int rotorPortIndex = -1;               // selected entries of those lists, -1 for none
  int gpsPortIndex = -1;
  int maxZoomLevel = 19;  // of the map type
  RawFolderCheck raw;
  AprsLogin aprsLogin;
  std::array<std::string, 4> aprsRegionHosts;

  // The GPS IN button is usable only with a port that is there, or with gpsd as the source.
  bool GpsPortAvailable() const {
    return gpsPortIndex >= 0 || settings.gps.source == GpsSource::Gpsd;
  }
};

// Reads every key with its load rules. Creates the default raw folder when raw capture is on
// and it is missing.
LoadedSettings LoadSettings(const IniFile& ini, const SettingsEnvironment& env);

// Rewrites the program's ten sections from the dialog's state; other sections stay. The texts
// are converted first: when one that must be a number is not, nothing is written and the
// message for the user is returned; else "".
std::string SaveSettings(const Settings& settings, const SettingsTexts& texts, IniFile& ini);

// The dialog's field texts for these settings.
SettingsTexts TextsOf(const Settings& settings);

// Raw capture's decision for the folder; creates the default folder when it is missing.
RawFolderCheck CheckRawFolder(bool saveRawData, const std::string& rawDir,
                              const std::string& defaultRawDir);

// The callsign as the APRS-IS login takes it: at most 9 characters.
std::string LoginCallsign(std::string_view callSign);
// Base of the callsign, "-" and the home SSID; empty when the callsign gives none.
std::string HomeCallsign(std::string_view callSign, int homeSsid);
// The server-side filter: a range around the launch site, or the world's sondes.
std::string AprsFilterLine(int monitoringMode, std::string_view latitudeText,
                           std::string_view longitudeText, std::string_view rangeText);
// The port number a port text gives ("COM12" gives 12), or nothing.
std::optional<int> PortNumberOf(std::string_view portText);

}  // namespace windlark
