#include "app/Settings.h"

#include <algorithm>
#include <filesystem>
#include <optional>
#include <system_error>

#include "app/Version.h"
#include "base/Format.h"

namespace windlark {

namespace {

constexpr std::string_view kGeneral = "General";
constexpr std::string_view kAudio = "Audio Settings";
constexpr std::string_view kRadio = "Radio Controls";
constexpr std::string_view kLogs = "Logs Files";
constexpr std::string_view kMaps = "Maps Settings";
constexpr std::string_view kUnits = "Meas Units";
constexpr std::string_view kUpdates = "Updates";
constexpr std::string_view kRotor = "Antenna Rotor";
constexpr std::string_view kAprs = "Aprs";
constexpr std::string_view kGps = "Gps In";
constexpr std::string_view kSondeHub = "SondeHub";

constexpr std::array<std::string_view, 11> kOwnSections = {
    kGeneral, kAudio, kRadio, kLogs, kMaps, kUnits, kUpdates, kRotor, kAprs, kGps, kSondeHub};

constexpr int kMaxCallsignLength = 9;

std::string NonEmpty(const std::string& text, std::string_view fallback) {
  return text.empty() ? std::string(fallback) : text;
}

// Values outside [low, high] become `fallback`.
int Within(int value, int low, int high, int fallback) {
  return (value < low || value > high) ? fallback : value;
}

std::string Numbered(std::string_view prefix, int number) {
  return std::string(prefix) + FormatInt(number, 2);
}

bool SamePath(const std::string& a, const std::string& b) {
  if (a.empty() || b.empty()) return a == b;
  auto normal = [](const std::string& p) {
    auto path = std::filesystem::path(p).lexically_normal();
    if (!path.has_filename()) path = path.parent_path();  // "dir/" is "dir"
    return path;
  };
  return normal(a) == normal(b);
}

void LoadRadio(const IniFile& ini, RadioSettings& radio) {
  // The field shows the low 16 bits only when they make a port.
  const int port = ini.ReadInteger(kRadio, "NetRemote port", 3382) & 0xFFFF;
  radio.netRemotePort = (port >= 1 && port <= 65534) ? port : 3382;
  radio.frequenciesHz.clear();
  for (int n = 1;; ++n) {
    const auto text = ini.Value(kRadio, Numbered("Freq-", n));
    const auto hz = text ? ParseIniInteger(*text) : std::nullopt;
    if (!hz || *hz < kFrequencyMinHz || *hz > kFrequencyMaxHz) break;
    radio.frequenciesHz.push_back(*hz);
  }
  radio.autorun = ini.ReadBool(kRadio, "Autorun", false);
  radio.restartScan = ini.ReadBool(kRadio, "RestartScan", true);
  radio.rearmTimeMin = std::clamp(ini.ReadInteger(kRadio, "Rearm Time", 5), 2, 1440);
  radio.link =
      ini.ReadInteger(kRadio, "Link", 0) == 1 ? RadioLinkKind::Rigctl : RadioLinkKind::NetRemote;
  radio.rigctlHost = NonEmpty(ini.ReadString(kRadio, "Rigctl Host", ""), kDefaultRigctlHost);
  radio.rigctlPort = Within(ini.ReadInteger(kRadio, "Rigctl Port", kDefaultRigctlPort), 1, 65535,
                            kDefaultRigctlPort);
}

void LoadMaps(const IniFile& ini, const SettingsEnvironment& env, MapSettings& maps) {
  maps.mapType = Within(ini.ReadInteger(kMaps, "Default Map Type", 1), 1, 2, 1);
  maps.onlineMode = ini.ReadBool(kMaps, "Online Map Mode", true);
  maps.autosaveMaps = ini.ReadBool(kMaps, "Autosave Maps", true);
  maps.mapDir = ini.ReadString(kMaps, "MapDir", env.defaultMapDir);
  maps.zoomLevel = std::clamp(ini.ReadInteger(kMaps, "Default Zoom Level", 12), 3, 19);
  maps.homeLatitude = ini.ReadReal(kMaps, "Home Lat", kDefaultHomeLatitude);
  if (!HomeLatitudeOk(maps.homeLatitude)) maps.homeLatitude = kDefaultHomeLatitude;
  maps.homeLongitude = ini.ReadReal(kMaps, "Home Long", kDefaultHomeLongitude);
  if (!HomeLongitudeOk(maps.homeLongitude)) maps.homeLongitude = kDefaultHomeLongitude;
  maps.homeAltitudeM = ini.ReadInteger(kMaps, "Home Altitude", 0);
  // Hand-written keys of their own section: a save of the dialog never touches them.
  const auto url = [&](std::string_view key, std::string_view fallback) {
    const std::string text = NormalTileUrl(ini.ReadString(kHostsSection, key, ""));
    return text.empty() ? std::string(fallback) : text;
  };
  maps.servers.openStreetMapUrl = url("OpenStreetMap URL", kDefaultOpenStreetMapUrl);
  maps.servers.openTopoMapUrl = url("OpenTopoMap URL", kDefaultOpenTopoMapUrl);
  maps.servers.caFile = ini.ReadString(kHostsSection, "Tile CA File", "");
  if (!HomeAltitudeOk(maps.homeAltitudeM)) maps.homeAltitudeM = 0;
}

// Preset k goes to grid row k. The grid reaches the highest preset taken, so every preset
// read is also shown and saved again under its own number.
std::vector<RotorPreset> LoadPresets(const IniFile& ini) {
  std::vector<RotorPreset> rows(1);
  for (int k = 1; k <= kPresetCount; ++k) {
    RotorPreset preset;
    preset.name = ini.ReadString(kRotor, Numbered("PresetId-", k), "");
    preset.azimuthDeg = ini.ReadInteger(kRotor, Numbered("PresetAz-", k), -1);
    preset.elevationDeg = ini.ReadInteger(kRotor, Numbered("PresetEl-", k), -1);
    if (preset.name.empty() || preset.azimuthDeg < 0 || preset.azimuthDeg > 359 ||
        preset.elevationDeg < 0 || preset.elevationDeg > 180) {
      continue;
    }
    const auto row = static_cast<std::size_t>(k);
    if (rows.size() < row) rows.resize(row);
    rows[row - 1] = std::move(preset);
  }
  return rows;
}

void LoadRotor(const IniFile& ini, RotorSettings& rotor) {
  rotor.protocol = Within(ini.ReadInteger(kRotor, "Protocol", 0), 0, kRotorProtocolCount - 1, 0);
  rotor.port = Within(ini.ReadInteger(kRotor, "Port", 1), 0, 30, 1);
  rotor.portName = ini.ReadString(kRotor, "Port Name", "");
  rotor.speedIndex = Within(ini.ReadInteger(kRotor, "Speed", 3), 0, 7, 3);
  rotor.presets = LoadPresets(ini);
  // The up-down control starts at 1.
  rotor.sensitivityDeg =
      std::max(1, Within(ini.ReadInteger(kRotor, "Sensitivity Angle", 1), 0, 90, 1));
  rotor.queryPeriodS = Within(ini.ReadInteger(kRotor, "Query Position Period", 5), 0, 300, 5);
  rotor.rotctldHost = NonEmpty(ini.ReadString(kRotor, "Rotctld Host", ""), kDefaultRotctldHost);
  rotor.rotctldPort = Within(ini.ReadInteger(kRotor, "Rotctld Port", kDefaultRotctldPort), 1, 65535,
                             kDefaultRotctldPort);
}

void LoadAprs(const IniFile& ini, const MapSettings& maps, AprsSettings& aprs) {
  aprs.enable = ini.ReadBool(kAprs, "Enable", false);
  aprs.callSign = ini.ReadString(kAprs, "CallSign", "");
  aprs.homePositionEnable = ini.ReadBool(kAprs, "Home Position Enable", false);
  aprs.homeSsid = std::clamp(ini.ReadInteger(kAprs, "Home SSID", 15), 1, 15);
  aprs.password = ini.ReadInteger(kAprs, "Password", -1);
  aprs.serverNum = Within(ini.ReadInteger(kAprs, "ServerNum", 0), 1, 4, 0);
  aprs.launchLatitude = ini.ReadReal(kAprs, "Launch Lat", maps.homeLatitude);
  aprs.launchLongitude = ini.ReadReal(kAprs, "Launch Long", maps.homeLongitude);
  const int range = ini.ReadInteger(kAprs, "Range", 50);
  aprs.rangeKm = range < 0 ? 50 : range;
  aprs.monitoringMode = Within(ini.ReadInteger(kAprs, "MonitoringMode", 0), 0, 1, 0);
  if (HomeCallsign(aprs.callSign, aprs.homeSsid).empty()) aprs.homePositionEnable = false;
  aprs.autoStart = ini.ReadBool(kAprs, "AutoStart", false);
}

void LoadGps(const IniFile& ini, GpsInSettings& gps) {
  gps.protocol = Within(ini.ReadInteger(kGps, "Protocol", 0), 0, 0, 0);
  gps.port = Within(ini.ReadInteger(kGps, "Port", 1), 0, 30, 1);
  gps.portName = ini.ReadString(kGps, "Port Name", "");
  gps.speedIndex = Within(ini.ReadInteger(kGps, "Speed", 2), 0, 7, 2);
  gps.dataBits = Within(ini.ReadInteger(kGps, "DataBits", 8), 7, 8, 8);
  gps.parity = Within(ini.ReadInteger(kGps, "Parity", 0), 0, 4, 0);
  gps.stopBits = Within(ini.ReadInteger(kGps, "StopBits", 0), 0, 2, 0);
  gps.source = static_cast<GpsSource>(Within(ini.ReadInteger(kGps, "Source", 0), 0, 1, 0));
  gps.gpsdHost = NonEmpty(ini.ReadString(kGps, "Gpsd Host", kDefaultGpsdHost), kDefaultGpsdHost);
  gps.gpsdPort =
      Within(ini.ReadInteger(kGps, "Gpsd Port", kDefaultGpsdPort), 1, 65535, kDefaultGpsdPort);
  gps.chaseMapFeed = ini.ReadBool(kGps, "Chase Map Feed", false);
  gps.chaseMapHost =
      NonEmpty(ini.ReadString(kGps, "Chase Map Host", kDefaultChaseMapHost), kDefaultChaseMapHost);
  gps.chaseMapPort = Within(ini.ReadInteger(kGps, "Chase Map Port", kDefaultChaseMapPort), 1, 65535,
                            kDefaultChaseMapPort);
}

// The port a saved name or number asks for, found in (or added to) the list. A device path the
// system does not list (a pty, say) is added when it is there; a missing one stays the text of
// the selection so a save keeps it, but nothing is selected.
int SelectPort(std::vector<std::string>& ports, int number, std::string& name) {
  if (name.empty()) name = "COM" + FormatInt(number);
  const auto found = std::find(ports.begin(), ports.end(), name);
  if (found != ports.end()) return static_cast<int>(found - ports.begin());
  std::error_code ec;
  if (name.front() == '/' && std::filesystem::exists(name, ec)) {
    ports.push_back(name);
    return static_cast<int>(ports.size()) - 1;
  }
  if (name.starts_with("COM")) name.clear();  // the number alone names no port here
  return -1;
}

std::array<std::string, 4> RegionHosts(const IniFile& ini, const SettingsEnvironment& env) {
  std::array<std::string, 4> hosts;
  for (std::size_t i = 0; i < hosts.size(); ++i) {
    const std::string configured = ini.ReadString(
        kHostsSection, "Aprs Region " + FormatInt(static_cast<long long>(i) + 1), "");
    hosts[i] = !env.aprsHostOverride.empty() ? env.aprsHostOverride
               : !configured.empty()         ? configured
                                             : std::string(kAprsRegionHosts[i]);
  }
  return hosts;
}

AprsLogin LoginOf(const AprsSettings& aprs, const SettingsTexts& texts,
                  const std::array<std::string, 4>& hosts) {
  AprsLogin login;
  login.version = FormatInt(kVersionMajor) + "." + FormatInt(kVersionMinor);
  login.loginCallsign = LoginCallsign(aprs.callSign);
  login.sendHomePosition = aprs.homePositionEnable;
  login.homeCallsign = HomeCallsign(aprs.callSign, aprs.homeSsid);
  login.passcode = aprs.password;
  const int region = (aprs.serverNum >= 1 && aprs.serverNum <= 4) ? aprs.serverNum : 1;
  login.serverHost = hosts[static_cast<std::size_t>(region - 1)];
  login.filterLine =
      AprsFilterLine(aprs.monitoringMode, texts.launchLatitude, texts.launchLongitude, texts.range);
  return login;
}

// The home position is shown with four decimals, more when it has them, so that saving the
// dialog never rounds it.
std::string HomeText(double value) {
  std::string fixed = FormatFixed(value, 4);
  if (ParseIniReal(fixed, '.') == value) return fixed;
  return FormatSignificant(value, 15);
}

std::string ToUpperAscii(std::string text) {
  for (char& c : text) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return text;
}

}  // namespace

std::string LoginCallsign(std::string_view callSign) {
  std::string login(callSign.substr(0, kMaxCallsignLength));
  // Never cut inside a UTF-8 sequence.
  if (callSign.size() > login.size()) {
    while (!login.empty() && (static_cast<unsigned char>(callSign[login.size()]) & 0xC0) == 0x80) {
      login.pop_back();
    }
  }
  // A cut that ends on the SSID's dash would log in as a malformed callsign.
  if (callSign.size() > login.size() && !login.empty() && login.back() == '-') login.pop_back();
  return login;
}

std::string HomeCallsign(std::string_view callSign, int homeSsid) {
  const auto dash = callSign.find('-');
  // The dash must follow a base of four characters at least and not end the text.
  if (dash == std::string_view::npos || dash + 1 <= 4 || dash + 1 == callSign.size()) return {};
  std::string home = std::string(callSign.substr(0, dash)) + "-" + FormatInt(homeSsid);
  // APRS-IS refuses longer logins; such a callsign gives no home callsign.
  if (home.size() > static_cast<std::size_t>(kMaxCallsignLength)) return {};
  return home;
}

std::string AprsFilterLine(int monitoringMode, std::string_view latitudeText,
                           std::string_view longitudeText, std::string_view rangeText) {
  if (monitoringMode != 1) return "#filter  s/O";
  return "#filter r/" + std::string(latitudeText) + "/" + std::string(longitudeText) + "/" +
         std::string(rangeText) + " -t/pimqstunw";
}

std::optional<int> PortNumberOf(std::string_view portText) {
  if (portText.size() <= 3) return std::nullopt;
  return ParseIniInteger(portText.substr(3));
}

RawFolderCheck CheckRawFolder(bool saveRawData, const std::string& rawDir,
                              const std::string& defaultRawDir) {
  RawFolderCheck enabled{true, "Save Raw File: Enabled", {}};
  const std::string disabled = "Save Raw File: Disabled";
  if (!saveRawData) return {false, disabled, {}};
  std::error_code ec;
  if (!rawDir.empty() && std::filesystem::is_directory(rawDir, ec)) return enabled;
  if (!SamePath(rawDir, defaultRawDir) || rawDir.empty()) {
    return {false, disabled, "Invalid RawFile folder.\rSave Raw file disabled."};
  }
  std::filesystem::create_directories(rawDir, ec);
  if (!ec && std::filesystem::is_directory(rawDir, ec)) return enabled;
  return {false, disabled, "Unable to create RawFile folder.\rSave Raw file disabled."};
}

SettingsTexts TextsOf(const Settings& settings) {
  SettingsTexts texts;
  texts.netRemotePort = FormatInt(settings.radio.netRemotePort);
  texts.rearmTime = FormatInt(settings.radio.rearmTimeMin);
  texts.homeLatitude = HomeText(settings.maps.homeLatitude);
  texts.homeLongitude = HomeText(settings.maps.homeLongitude);
  texts.homeAltitude = FormatInt(settings.maps.homeAltitudeM);
  texts.rotorPort = settings.rotor.portName;
  texts.password = settings.aprs.password == -1 ? "" : FormatInt(settings.aprs.password);
  texts.launchLatitude = FormatFixed(settings.aprs.launchLatitude, 6);
  texts.launchLongitude = FormatFixed(settings.aprs.launchLongitude, 6);
  texts.range = FormatInt(settings.aprs.rangeKm);
  texts.gpsPort = settings.gps.portName;
  return texts;
}

namespace {

void LoadSondeHub(const IniFile& ini, SondeHubSettings& sondehub) {
  sondehub.enable = ini.ReadBool(kSondeHub, "Enable", false);
  sondehub.callsign = ini.ReadString(kSondeHub, "Callsign", "");
  sondehub.antenna = ini.ReadString(kSondeHub, "Antenna", "");
  sondehub.mobile = ini.ReadBool(kSondeHub, "Mobile Station", false);
  sondehub.testMode = ini.ReadBool(kSondeHub, "Test Mode", false);
  // A hand-written key of the hosts' section, like the tile servers'.
  sondehub.url = NonEmpty(ini.ReadString(kHostsSection, "SondeHub URL", ""), kDefaultSondeHubUrl);
  sondehub.caFile = ini.ReadString(kHostsSection, "SondeHub CA File", "");
}

}  // namespace

LoadedSettings LoadSettings(const IniFile& ini, const SettingsEnvironment& env) {
  LoadedSettings out;
  Settings& s = out.settings;

  const int device = ini.ReadInteger(kAudio, "InputInterface", 0);
  const bool validDevice =
      device >= 0 && static_cast<std::size_t>(device) < env.audioDevices.size();
  s.audio.deviceIndex = validDevice ? device : -1;
  s.audio.autorun = ini.ReadBool(kAudio, "Autorun", false);
  s.audio.demodulator = ini.ReadString(kAudio, "Demodulator", "Enhanced") == "Standard"
                            ? DemodulatorKind::Standard
                            : DemodulatorKind::Enhanced;

  LoadRadio(ini, s.radio);
  LoadMaps(ini, env, s.maps);
  out.maxZoomLevel = s.maps.mapType == 2 ? 16 : 19;

  s.logs.saveRawData = ini.ReadBool(kLogs, "Save Raw Data", true);
  s.logs.rawDir = ini.ReadString(kLogs, "RawDir", env.defaultRawDir);
  out.raw = CheckRawFolder(s.logs.saveRawData, s.logs.rawDir, env.defaultRawDir);

  s.units.windSpeed = Within(ini.ReadInteger(kUnits, "Wind Speed", 0), 0, 2, 0);
  s.units.verticalSpeed = Within(ini.ReadInteger(kUnits, "Vertical Speed", 0), 0, 2, 0);
  s.updates.checkAtStartup = ini.ReadBool(kUpdates, "Check updates at startup", true);
  s.updates.versionFileUrl =
      NonEmpty(ini.ReadString(kUpdates, "Version File", std::string(kDefaultVersionFileUrl)),
               kDefaultVersionFileUrl);
  s.updates.webPageUrl = NonEmpty(
      ini.ReadString(kUpdates, "Web Page", std::string(kDefaultWebPageUrl)), kDefaultWebPageUrl);

  LoadRotor(ini, s.rotor);
  LoadAprs(ini, s.maps, s.aprs);
  LoadGps(ini, s.gps);
  LoadSondeHub(ini, s.sondehub);

  out.serialPorts = env.serialPorts;
  out.rotorPortIndex = SelectPort(out.serialPorts, s.rotor.port, s.rotor.portName);
  out.gpsPortIndex = SelectPort(out.serialPorts, s.gps.port, s.gps.portName);

  out.texts = TextsOf(s);
  out.aprsRegionHosts = RegionHosts(ini, env);
  out.aprsLogin = LoginOf(s.aprs, out.texts, out.aprsRegionHosts);
  return out;
}

namespace {

// The texts a save converts, converted before anything is written.
struct SavedNumbers {
  int netRemotePort = 0;
  int rearmTimeMin = 0;
  double homeLatitude = 0.0;
  double homeLongitude = 0.0;
  int homeAltitudeM = 0;
  double launchLatitude = 0.0;
  double launchLongitude = 0.0;
  int rangeKm = 50;
  int password = -1;
};

std::string ConvertTexts(const SettingsTexts& texts, SavedNumbers& n) {
  const auto port = ParseIniInteger(texts.netRemotePort);
  if (!port) return "Invalid value in Radio Interface->NetRemote port";
  const auto rearm = ParseIniInteger(texts.rearmTime);
  if (!rearm) {
    return "Invalid value in Radio Interface-> Inactivity minutes to restart scan\r"
           "Please enter a number between 2 and 1440";
  }
  const auto homeLat = ParseIniReal(texts.homeLatitude, '.');
  if (!homeLat || !HomeLatitudeOk(*homeLat)) {
    return "Invalid value in Maps->Latitude value\rPlease use DD.DDDD format";
  }
  const auto homeLong = ParseIniReal(texts.homeLongitude, '.');
  if (!homeLong || !HomeLongitudeOk(*homeLong)) {
    return "Invalid value in Maps->Longitude value\rPlease use DD.DDDD format";
  }
  const auto altitude = ParseIniInteger(texts.homeAltitude);
  if (!altitude || !HomeAltitudeOk(*altitude))
    return "Invalid value in Maps->Altitude asl\rPlease use a whole number of meters";
  const auto launchLat = ParseIniReal(texts.launchLatitude, '.');
  if (!launchLat) return "Invalid Latitude in APRS->Latitude\rPlease use DD.DDDD format";
  const auto launchLong = ParseIniReal(texts.launchLongitude, '.');
  if (!launchLong) return "Invalid Longitude in APRS->Longitude\rPlease use DD.DDDD format";
  n.netRemotePort = *port;
  n.rearmTimeMin = *rearm;
  n.homeLatitude = *homeLat;
  n.homeLongitude = *homeLong;
  n.homeAltitudeM = *altitude;
  n.launchLatitude = *launchLat;
  n.launchLongitude = *launchLong;
  n.rangeKm = ParseIniInteger(texts.range).value_or(50);
  n.password = ParseIniInteger(texts.password).value_or(-1);
  return {};
}

// "Port" only when the text names a numbered port; "Port Name" keeps any text.
void WritePort(IniFile& ini, std::string_view section, const std::string& portText) {
  if (const auto number = PortNumberOf(portText)) ini.WriteInteger(section, "Port", *number);
  if (!portText.empty()) ini.WriteString(section, "Port Name", portText);
}

void SaveRotor(const RotorSettings& rotor, const SettingsTexts& texts, IniFile& ini) {
  ini.WriteInteger(kRotor, "Protocol", rotor.protocol);
  WritePort(ini, kRotor, texts.rotorPort);
  ini.WriteInteger(kRotor, "Speed", rotor.speedIndex);
  for (std::size_t i = 0; i < rotor.presets.size(); ++i) {
    const RotorPreset& preset = rotor.presets[i];
    if (preset.name.empty()) continue;
    const int row = static_cast<int>(i) + 1;
    ini.WriteString(kRotor, Numbered("PresetId-", row), preset.name);
    ini.WriteInteger(kRotor, Numbered("PresetAz-", row), preset.azimuthDeg);
    ini.WriteInteger(kRotor, Numbered("PresetEl-", row), preset.elevationDeg);
  }
  ini.WriteInteger(kRotor, "Sensitivity Angle", rotor.sensitivityDeg);
  ini.WriteInteger(kRotor, "Query Position Period", rotor.queryPeriodS);
  ini.WriteString(kRotor, "Rotctld Host", rotor.rotctldHost);
  ini.WriteInteger(kRotor, "Rotctld Port", rotor.rotctldPort);
}

void SaveAprsAndGps(const Settings& s, const SettingsTexts& texts, const SavedNumbers& n,
                    IniFile& ini) {
  ini.WriteBool(kAprs, "Enable", s.aprs.enable);
  ini.WriteBool(kAprs, "AutoStart", s.aprs.autoStart);
  ini.WriteString(kAprs, "CallSign", ToUpperAscii(s.aprs.callSign));
  ini.WriteBool(kAprs, "Home Position Enable", s.aprs.homePositionEnable);
  ini.WriteInteger(kAprs, "Home SSID", s.aprs.homeSsid);
  ini.WriteInteger(kAprs, "Password", n.password);
  ini.WriteInteger(kAprs, "ServerNum",
                   (s.aprs.serverNum >= 1 && s.aprs.serverNum <= 4) ? s.aprs.serverNum : 0);
  ini.WriteBool(kAprs, "MonitoringMode", s.aprs.monitoringMode == 1);
  ini.WriteReal(kAprs, "Launch Lat", n.launchLatitude);
  ini.WriteReal(kAprs, "Launch Long", n.launchLongitude);
  ini.WriteInteger(kAprs, "Range", n.rangeKm);

  ini.WriteInteger(kGps, "Protocol", s.gps.protocol);
  WritePort(ini, kGps, texts.gpsPort);
  ini.WriteInteger(kGps, "Speed", s.gps.speedIndex);
  ini.WriteInteger(kGps, "DataBits", s.gps.dataBits);
  ini.WriteInteger(kGps, "Parity", s.gps.parity);
  ini.WriteInteger(kGps, "StopBits", s.gps.stopBits);
  ini.WriteInteger(kGps, "Source", static_cast<int>(s.gps.source));
  ini.WriteString(kGps, "Gpsd Host", s.gps.gpsdHost);
  ini.WriteInteger(kGps, "Gpsd Port", s.gps.gpsdPort);
  ini.WriteBool(kGps, "Chase Map Feed", s.gps.chaseMapFeed);
  ini.WriteString(kGps, "Chase Map Host", s.gps.chaseMapHost);
  ini.WriteInteger(kGps, "Chase Map Port", s.gps.chaseMapPort);

  ini.WriteBool(kSondeHub, "Enable", s.sondehub.enable);
  ini.WriteString(kSondeHub, "Callsign", s.sondehub.callsign);
  ini.WriteString(kSondeHub, "Antenna", s.sondehub.antenna);
  ini.WriteBool(kSondeHub, "Mobile Station", s.sondehub.mobile);
  ini.WriteBool(kSondeHub, "Test Mode", s.sondehub.testMode);
}

}  // namespace

std::string SaveSettings(const Settings& s, const SettingsTexts& texts, IniFile& ini) {
  SavedNumbers n;
  if (std::string refused = ConvertTexts(texts, n); !refused.empty()) return refused;

  for (const auto section : kOwnSections) ini.EraseSection(section);
  ini.WriteInteger(kGeneral, "Rel", 10);
  if (s.audio.deviceIndex >= 0) ini.WriteInteger(kAudio, "InputInterface", s.audio.deviceIndex);
  ini.WriteBool(kAudio, "Autorun", s.audio.autorun);
  ini.WriteString(kAudio, "Demodulator",
                  s.audio.demodulator == DemodulatorKind::Standard ? "Standard" : "Enhanced");

  ini.WriteInteger(kRadio, "NetRemote port", n.netRemotePort);
  ini.WriteBool(kRadio, "Autorun", s.radio.autorun);
  for (std::size_t i = 0; i < s.radio.frequenciesHz.size(); ++i) {
    ini.WriteInteger(kRadio, Numbered("Freq-", static_cast<int>(i) + 1), s.radio.frequenciesHz[i]);
  }
  ini.WriteBool(kRadio, "RestartScan", s.radio.restartScan);
  ini.WriteInteger(kRadio, "Rearm Time", n.rearmTimeMin);
  ini.WriteInteger(kRadio, "Link", static_cast<int>(s.radio.link));
  ini.WriteString(kRadio, "Rigctl Host", s.radio.rigctlHost);
  ini.WriteInteger(kRadio, "Rigctl Port", s.radio.rigctlPort);

  ini.WriteBool(kLogs, "Save Raw Data", s.logs.saveRawData);
  ini.WriteInteger(kLogs, "format", 0);
  ini.WriteString(kLogs, "RawDir", s.logs.rawDir);

  ini.WriteInteger(kMaps, "Default Map Type", s.maps.mapType);
  ini.WriteBool(kMaps, "Online Map Mode", s.maps.onlineMode);
  ini.WriteBool(kMaps, "Autosave Maps", s.maps.autosaveMaps);
  ini.WriteString(kMaps, "MapDir", s.maps.mapDir);
  ini.WriteInteger(kMaps, "Default Zoom Level", s.maps.zoomLevel);
  ini.WriteReal(kMaps, "Home Lat", n.homeLatitude);
  ini.WriteReal(kMaps, "Home Long", n.homeLongitude);
  ini.WriteInteger(kMaps, "Home Altitude", n.homeAltitudeM);

  ini.WriteInteger(kUnits, "Wind Speed", s.units.windSpeed);
  ini.WriteInteger(kUnits, "Vertical Speed", s.units.verticalSpeed);
  ini.WriteBool(kUpdates, "Check updates at startup", s.updates.checkAtStartup);
  ini.WriteString(kUpdates, "Version File", s.updates.versionFileUrl);
  ini.WriteString(kUpdates, "Web Page", s.updates.webPageUrl);

  SaveRotor(s.rotor, texts, ini);
  SaveAprsAndGps(s, texts, n, ini);
  return {};
}

}  // namespace windlark
