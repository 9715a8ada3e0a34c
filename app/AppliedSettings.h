#pragma once

#include <string>

#include "app/Settings.h"
#include "decoder/FrameDecoder.h"

namespace windlark {

// How the map engine gets its tiles.
enum class TileMode { Offline = 0, Online = 1, OnlineAutosave = 2 };

// What a load of the settings hands to the running program, in the terms the main window
// applies them: each field says which control or worker takes it.
struct AppliedSettings {
  // Sound input: the device to open (-1 the system's default) and whether to start decoding.
  int deviceIndex = -1;
  bool startAudio = false;
  DemodulatorKind demodulator = DemodulatorKind::Enhanced;

  // Radio control: press "Start SDR# remote control"; the rescan delay it waits.
  bool startRadio = false;
  int rescanDelayMin = 5;
  // The scan's frequency list, rescan rule and receiver link, read afresh at each step.
  RadioSettings radio;

  // The antenna rotor window's link, presets and tracking sensitivity.
  RotorSettings rotor;

  // Raw capture. A load always starts a new raw file with the next frame.
  bool saveRaw = false;
  std::string rawDir;
  std::string rawStatus;   // the second status bar's middle panel
  std::string rawMessage;  // error box text, empty for none

  // Map engine, offline downloader and the main window's map buttons.
  int mapType = 1;  // 1 OpenStreetMap, 2 OpenTopoMap: its menu entry is checked
  int maxZoomLevel = 19;
  std::string mapDir;
  int zoomLevel = 12;
  std::string zoomLabel = "12";  // two digits, zero-padded
  bool onlineMaps = true;        // "Online/Offline Maps" down
  bool saveMapOnDisk = true;     // "Save Map On Disk" down
  bool saveMapEnabled = true;    // "Save Map On Disk" usable (online only)
  TileMode tileMode = TileMode::OnlineAutosave;
  TileServers tileServers;  // hosts and extra CA file; the window adds its User-Agent

  // Home position: the decoder's current position starts there too.
  double homeLatitude = kDefaultHomeLatitude;
  double homeLongitude = kDefaultHomeLongitude;
  int homeAltitudeM = 0;

  // Units of the speed read-outs: 0 "m/s", 1 "km/h", 2 "kts".
  SpeedUnit windSpeedUnit = SpeedUnit::MetresPerSecond;
  SpeedUnit verticalSpeedUnit = SpeedUnit::MetresPerSecond;

  // The update-check timer runs; where the version file is and the project's page.
  bool checkUpdates = true;
  std::string versionFileUrl = std::string(kDefaultVersionFileUrl);
  std::string webPageUrl = std::string(kDefaultWebPageUrl);

  // APRS-IS: the main window's APRS button (and with it monitoring and tracking) is usable; the
  // client's login; start the client when it is not already running.
  bool aprsEnabled = false;
  AprsLogin aprsLogin;
  bool startAprs = false;

  // "Enable GPS IN interface" usable: the saved GPS port is there (or gpsd is the source).
  bool gpsInEnabled = false;
  // The GPS reader's source and serial parameters, the port as a device path; the sonde
  // position's chase-map feed.
  GpsInSettings gps;

  // SondeHub upload (the home position is the station's).
  SondeHubSettings sondehub;
};

AppliedSettings AppliedSettingsOf(const LoadedSettings& loaded);

}  // namespace windlark
