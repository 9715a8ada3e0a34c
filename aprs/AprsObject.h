#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "decoder/Geodesy.h"

namespace windlark {

inline constexpr double kNoAltitude = -10000;

// One sonde reported on APRS-IS (or the station's own).
struct AprsSonde {
  std::string name;  // at most 9 characters
  double latitude = 0;
  double longitude = 0;
  double altitude = kNoAltitude;  // metres
  double mapX = 0;
  double mapY = 0;
  int hour = 0;
  int minute = 0;
  int second = 0;
  int age = 5;              // 5 after every report; the map greys it at 1
  bool programTag = false;  // reported by a station running Windlark
  bool ownSonde = false;    // last updated from this station's decoder
  friend bool operator==(const AprsSonde&, const AprsSonde&) = default;
};

// What a received object line gives: the list's entry and what only the tracking panel shows.
struct ParsedObject {
  AprsSonde sonde;
  double speedKmh = 0;
  int courseDeg = 0;
  double climbMs = 0;
  bool climbValid = false;
  bool courseSpeedValid = false;
  std::string source;   // the reporting station: the line up to its first ">"
  std::string payload;  // the line after the symbol code
};

// A line is a sonde when it holds an object in the primary table with the balloon symbol.
bool IsSondeObject(std::string_view line);
// The sonde a line reports; nothing for other lines and for a timestamp that is not digits.
std::optional<ParsedObject> ParseObjectLine(std::string_view line);

// Reports 300 s or more ahead of the time of day are refused (one from just before midnight
// stays acceptable just after it).
bool AcceptedAtTime(const AprsSonde& report, int secondsOfDay);
// Only a report newer than the entry's changes it.
bool NewerThan(const AprsSonde& report, const AprsSonde& entry);

// The texts of the "APRS Tracking" panel for one report.
struct TrackingPanelTexts {
  std::string sondeId;
  std::string latitude;
  std::string longitude;
  std::string altitude;
  std::string time;
  std::string course;
  std::string speed;
  std::string climb;
  std::string source;
  std::string bearing;
  std::string elevation;
  std::string slantRange;
  std::string payload;
  // Signed, "0.000000", for the web map.
  std::string linkLatitude;
  std::string linkLongitude;
};
// The bearing, elevation and slant range follow `localeSeparator`; every other value uses ".".
TrackingPanelTexts TrackingTexts(const ParsedObject& report, const HomePosition& home,
                                 char localeSeparator);
std::string SlantRangeText(double metres, char localeSeparator);

// The web map's place address of a position given as the panel keeps it.
std::string WebMapUrl(std::string_view latitudeText, std::string_view longitudeText);

}  // namespace windlark
