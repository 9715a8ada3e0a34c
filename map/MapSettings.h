#pragma once

#include <string>
#include <string_view>

namespace windlark {

inline constexpr double kDefaultHomeLatitude = 44.5386;
inline constexpr double kDefaultHomeLongitude = 7.6125;

inline constexpr int kMinZoom = 3;
inline constexpr int kMaxZoomOpenStreetMap = 19;
inline constexpr int kMaxZoomOpenTopoMap = 16;

// Where the tiles come from: 1 OpenStreetMap, 2 OpenTopoMap; anything else is taken as 1.
inline constexpr int kMapTypeOpenStreetMap = 1;
inline constexpr int kMapTypeOpenTopoMap = 2;

inline constexpr std::string_view kDefaultOpenStreetMapUrl = "https://tile.openstreetmap.org";
inline constexpr std::string_view kDefaultOpenTopoMapUrl = "https://tile.opentopomap.org";

enum class MapMode {
  Offline = 0,         // the disk cache only
  Online = 1,          // cache first, then the server; downloads are not stored
  OnlineAutosave = 2,  // cache first, then the server; every download is stored
};

inline int NormalMapType(int type) {
  return type == kMapTypeOpenTopoMap ? kMapTypeOpenTopoMap : kMapTypeOpenStreetMap;
}

inline int MaxZoomOf(int mapType) {
  return NormalMapType(mapType) == kMapTypeOpenTopoMap ? kMaxZoomOpenTopoMap
                                                       : kMaxZoomOpenStreetMap;
}

// The tile servers and how they are reached. The public services by default; each base URL can
// be replaced (a private server, a test server on the loopback address).
struct TileServers {
  std::string openStreetMapUrl{kDefaultOpenStreetMapUrl};
  std::string openTopoMapUrl{kDefaultOpenTopoMapUrl};
  // PEM certificates trusted in addition to the system's (a private or test CA); empty: none.
  std::string caFile;
  std::string userAgent = "Windlark";
  int timeoutMs = 20000;

  const std::string& UrlOf(int mapType) const {
    return NormalMapType(mapType) == kMapTypeOpenTopoMap ? openTopoMapUrl : openStreetMapUrl;
  }
};

// The "Maps Settings" section and the tile hosts of the "Hosts" section.
struct MapSettings {
  int mapType = kMapTypeOpenStreetMap;
  bool onlineMode = true;
  bool autosaveMaps = true;
  std::string mapDir;
  int zoomLevel = 12;
  double homeLatitude = kDefaultHomeLatitude;
  double homeLongitude = kDefaultHomeLongitude;
  int homeAltitudeM = 0;
  TileServers servers;
};

// A base URL as typed: without a scheme it is taken as HTTPS; trailing slashes are dropped.
std::string NormalTileUrl(std::string_view text);

}  // namespace windlark
