#include "tools/mapshots/FlightFile.h"

#include <cmath>
#include <fstream>
#include <numbers>

#include "base/Format.h"
#include "decoder/Geodesy.h"
#include "records/RawLine.h"
#include "support/TestSignal.h"

namespace windlark::shots {

std::vector<FlightPoint> MakeFlight(double latitude, double longitude, int frames,
                                    double windScale) {
  std::vector<FlightPoint> flight;
  double north = 0;
  double east = 0;
  double altitude = 350;
  bool rising = true;
  for (int k = 0; k < frames; ++k) {
    constexpr double kMetresPerDegree = 111320.0;
    const double lat = latitude + north / kMetresPerDegree;
    const double lon =
        longitude + east / (kMetresPerDegree * std::cos(latitude * std::numbers::pi / 180.0));
    flight.push_back({lat, lon, altitude});
    const double windEast = windScale * (6.0 + 22.0 * std::sin(altitude / 9000.0));
    const double windNorth = windScale * (9.0 * std::cos(altitude / 4000.0) - 3.0);
    east += windEast;
    north += windNorth;
    if (rising && altitude > 28000) rising = false;
    altitude += rising ? 5.0 : -12.0;
    if (altitude < 200) altitude = 200;
  }
  return flight;
}

bool WriteRawFlight(const std::string& path, const std::vector<FlightPoint>& flight) {
  std::ofstream out(path, std::ios::binary);
  for (std::size_t k = 0; k < flight.size(); ++k) {
    const FlightPoint& p = flight[k];
    const EcefMetres e = GeodeticToEcef(p.latitude, p.longitude, p.altitude);
    const FlightPoint& next = flight[std::min(k + 1, flight.size() - 1)];
    const EcefMetres n = GeodeticToEcef(next.latitude, next.longitude, next.altitude);
    test::FrameSpec frameSpec;
    frameSpec.sondeId = "T2350815";
    frameSpec.frameNumber = static_cast<std::uint16_t>(2000 + k);
    frameSpec.fragmentIndex = static_cast<std::uint8_t>(k % 51);
    frameSpec.timeOfWeekMs = 36000000U + static_cast<std::uint32_t>(k) * 1000U;
    frameSpec.ecefXcm = e.x * 100;
    frameSpec.ecefYcm = e.y * 100;
    frameSpec.ecefZcm = e.z * 100;
    frameSpec.velXcm = static_cast<std::int16_t>((n.x - e.x) * 100);
    frameSpec.velYcm = static_cast<std::int16_t>((n.y - e.y) * 100);
    frameSpec.velZcm = static_cast<std::int16_t>((n.z - e.z) * 100);
    out << RawLine(test::ToRawFrame(test::BuildFrame(frameSpec))) << "\r\n";
  }
  return static_cast<bool>(out);
}

bool WriteKml(const std::string& path, const std::vector<FlightPoint>& flight) {
  std::ofstream out(path, std::ios::binary);
  out << "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
         "<kml xmlns=\"http://earth.google.com/kml/2.1\"><Document><name>Yesterday's flight"
         "</name><Placemark><LineString><coordinates>\n";
  for (const FlightPoint& p : flight) {
    out << FormatFixed(p.longitude, 6) << "," << FormatFixed(p.latitude, 6) << ","
        << FormatFixed(p.altitude, 1) << " \n";
  }
  out << "</coordinates></LineString></Placemark></Document></kml>\n";
  return static_cast<bool>(out);
}

}  // namespace windlark::shots
