#include "Flight.h"

#include <algorithm>
#include <cmath>

#include "Atmosphere.h"

namespace rs41sim {
namespace {

// Reaching a target altitude within this counts as arrived; guards against a last step of
// nanometres caused by rounding in the ECEF round trip.
constexpr double kArrivalToleranceM = 1e-3;

// The position block carries velocity as int16 cm/s per ECEF axis; staying below this total
// speed keeps every component in range.
constexpr double kMaxSpeedMps = 326.0;

}  // namespace

const char* PhaseName(FlightPhase phase) {
  switch (phase) {
    case FlightPhase::kAscent:
      return "ascent";
    case FlightPhase::kDescent:
      return "descent";
    case FlightPhase::kLanded:
      return "landed";
  }
  return "ascent";
}

FlightModel::FlightModel(const FlightParams& params, const EnuVelocity& wind, double startAltM)
    : m_params(params), m_given(wind) {
  switch (params.profile) {
    case FlightProfile::kConstant:
      m_phase = wind.up < 0.0 ? FlightPhase::kDescent : FlightPhase::kAscent;
      break;
    case FlightProfile::kAscent:
    case FlightProfile::kBurst:
      m_phase = FlightPhase::kAscent;
      m_landAltM = params.landAltM.value_or(startAltM);
      break;
    case FlightProfile::kDescent:
      m_phase = FlightPhase::kDescent;
      m_landAltM = params.landAltM.value_or(0.0);
      break;
  }
}

double FlightModel::SinkRate(double altM) const {
  double rate = m_params.descentRateMps;
  // A parachute sinks at its terminal speed, which scales with 1/sqrt(air density).
  if (m_params.descentLaw == DescentLaw::kParachute) rate /= std::sqrt(StandardDensityRatio(altM));
  const double horizontal = std::hypot(m_given.east, m_given.north);
  const double room =
      std::sqrt(std::max(0.0, kMaxSpeedMps * kMaxSpeedMps - horizontal * horizontal));
  return std::min(rate, room);
}

EnuVelocity FlightModel::Step(double altM) {
  if (m_params.profile == FlightProfile::kConstant || m_params.profile == FlightProfile::kAscent) {
    return m_given;
  }
  if (m_phase == FlightPhase::kAscent) {
    const double left = m_params.burstAltM - altM;
    if (left > kArrivalToleranceM) return {m_given.east, m_given.north, std::min(m_given.up, left)};
    m_phase = FlightPhase::kDescent;
  }
  if (m_phase == FlightPhase::kDescent) {
    const double left = altM - m_landAltM;
    if (left > kArrivalToleranceM) {
      return {m_given.east, m_given.north, -std::min(SinkRate(altM), left)};
    }
    m_phase = FlightPhase::kLanded;
  }
  return {};
}

}  // namespace rs41sim
