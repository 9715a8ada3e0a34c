#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "Flight.h"

namespace rs41sim {

// What one frame was built to carry, for comparing a decoder's output with.
struct FrameTruth {
  std::uint16_t frame = 0;
  std::size_t index = 0;
  FlightPhase phase = FlightPhase::kAscent;
  double latDeg = 0.0;
  double lonDeg = 0.0;
  double altM = 0.0;
  EnuVelocity velocity;
  std::optional<double> tempC;
  std::optional<double> humidityPct;
  std::optional<double> pressureHpa;
  std::optional<double> dewPointC;
  std::optional<double> humidityTempC;
  std::optional<double> pressureSensorTempC;
};

// Direction of travel, degrees clockwise from north in [0, 360); 0 when standing still.
double HeadingDeg(const EnuVelocity& velocity);

// One JSON object, no trailing newline.
std::string TruthJson(const FrameTruth& truth);

}  // namespace rs41sim
