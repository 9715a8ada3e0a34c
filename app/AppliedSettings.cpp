#include "app/AppliedSettings.h"

#include "base/Format.h"

namespace windlark {

AppliedSettings AppliedSettingsOf(const LoadedSettings& loaded) {
  const Settings& s = loaded.settings;
  AppliedSettings a;
  a.deviceIndex = s.audio.deviceIndex;
  a.startAudio = s.audio.autorun;
  a.demodulator = s.audio.demodulator;

  a.startRadio = s.radio.autorun;
  a.rescanDelayMin = s.radio.rearmTimeMin;
  a.radio = s.radio;
  a.rotor = s.rotor;

  a.saveRaw = loaded.raw.saveRaw;
  a.rawDir = s.logs.rawDir;
  a.rawStatus = loaded.raw.status;
  a.rawMessage = loaded.raw.message;

  a.mapType = s.maps.mapType;
  a.maxZoomLevel = loaded.maxZoomLevel;
  a.mapDir = s.maps.mapDir;
  a.zoomLevel = s.maps.zoomLevel;
  a.zoomLabel = FormatInt(s.maps.zoomLevel, 2);
  a.onlineMaps = s.maps.onlineMode;
  a.saveMapOnDisk = s.maps.autosaveMaps;
  a.saveMapEnabled = s.maps.onlineMode;
  a.tileMode = !a.onlineMaps     ? TileMode::Offline
               : a.saveMapOnDisk ? TileMode::OnlineAutosave
                                 : TileMode::Online;

  a.tileServers = s.maps.servers;
  a.homeLatitude = s.maps.homeLatitude;
  a.homeLongitude = s.maps.homeLongitude;
  a.homeAltitudeM = s.maps.homeAltitudeM;

  a.windSpeedUnit = static_cast<SpeedUnit>(s.units.windSpeed);
  a.verticalSpeedUnit = static_cast<SpeedUnit>(s.units.verticalSpeed);
  a.checkUpdates = s.updates.checkAtStartup;
  a.versionFileUrl = s.updates.versionFileUrl;
  a.webPageUrl = s.updates.webPageUrl;

  a.aprsEnabled = s.aprs.enable;
  a.aprsLogin = loaded.aprsLogin;
  a.startAprs = s.aprs.autoStart && s.aprs.enable;

  a.gpsInEnabled = loaded.GpsPortAvailable();
  a.gps = s.gps;
  a.sondehub = s.sondehub;
  return a;
}

}  // namespace windlark
