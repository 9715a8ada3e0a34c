#include "app/MainWindowTexts.h"

#include "base/Format.h"
#include "decoder/GpsDecoder.h"

namespace windlark {

std::string WindowCaption(int major, int minor) {
  return std::string(kApplicationTitle) + " V " + FormatInt(major) + "." + FormatInt(minor);
}

std::string AboutReleaseText(int major, int minor) {
  return std::string(kApplicationTitle) + " Release " + FormatInt(major) + "." + FormatInt(minor);
}

std::string FlightSummaryText(const SondeState& state, SpeedUnit windSpeedUnit) {
  return "MaxAlt=" + FormatFixed(state.maxAltitude, 1) +
         "m,Max Wind:" + FormatSpeed(state.maxWindSpeed, windSpeedUnit) + " @" +
         FormatFixed(state.maxWindAltitude, 1) + "m from " +
         FormatFixed(state.maxWindDirection, 0) + "°,Best ISO 0° (" +
         FormatFixed(state.bestIsoTemperature, 1) +
         "°C): " + FormatFixed(state.bestIsoAltitude, 1) + "m";
}

std::string GoogleMapsPlaceUrl(double latitude, double longitude) {
  return std::string(kGoogleMapsSite) + "/maps/place/" + FormatFixed(latitude, 6) + "," +
         FormatFixed(longitude, 6);
}

std::string InputSourceText(std::string_view name) {
  return "Input source: " + std::string(name);
}

std::string DefaultInputText(std::string_view systemDefaultName) {
  if (systemDefaultName.empty()) return "Default input";
  return "Default input (" + std::string(systemDefaultName) + ")";
}

std::string FileNameOnly(std::string_view path) {
  const std::size_t slash = path.find_last_of('/');
  return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

}  // namespace windlark
