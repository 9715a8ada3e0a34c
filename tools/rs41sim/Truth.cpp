#include "Truth.h"

#include <charconv>
#include <cmath>
#include <numbers>

#include "TextUtil.h"

namespace rs41sim {
namespace {

// Shortest text that reads back as the same double; null for anything not finite.
std::string JsonNumber(double value) {
  if (!std::isfinite(value)) return "null";
  char buffer[32];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, result.ptr);
}

std::string JsonNumber(const std::optional<double>& value) {
  return value ? JsonNumber(*value) : std::string("null");
}

}  // namespace

double HeadingDeg(const EnuVelocity& velocity) {
  const double heading = std::atan2(velocity.east, velocity.north) * 180.0 / std::numbers::pi;
  return heading < 0.0 ? heading + 360.0 : heading;
}

std::string TruthJson(const FrameTruth& truth) {
  const EnuVelocity& v = truth.velocity;
  const double heading = HeadingDeg(v);
  const double windFrom = std::fmod(heading + 180.0, 360.0);
  std::string line = "{\"frame\":" + ToText(truth.frame) + ",\"index\":" + ToText(truth.index);
  line += ",\"phase\":\"" + std::string(PhaseName(truth.phase)) + "\"";
  line += ",\"lat\":" + JsonNumber(truth.latDeg) + ",\"lon\":" + JsonNumber(truth.lonDeg);
  line += ",\"alt\":" + JsonNumber(truth.altM);
  line += ",\"vel_east\":" + JsonNumber(v.east) + ",\"vel_north\":" + JsonNumber(v.north);
  line +=
      ",\"vel_up\":" + JsonNumber(v.up) + ",\"vel_h\":" + JsonNumber(std::hypot(v.east, v.north));
  line += ",\"heading\":" + JsonNumber(heading) + ",\"wind_from\":" + JsonNumber(windFrom);
  line += ",\"temp\":" + JsonNumber(truth.tempC) + ",\"humidity\":" + JsonNumber(truth.humidityPct);
  line += ",\"pressure\":" + JsonNumber(truth.pressureHpa);
  line += ",\"dewpoint\":" + JsonNumber(truth.dewPointC);
  line += ",\"humidity_temp\":" + JsonNumber(truth.humidityTempC);
  line += ",\"psensor_temp\":" + JsonNumber(truth.pressureSensorTempC) + "}";
  return line;
}

}  // namespace rs41sim
