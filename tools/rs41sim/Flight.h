#pragma once

#include <optional>

namespace rs41sim {

enum class FlightProfile { kConstant, kAscent, kDescent, kBurst };
enum class DescentLaw { kParachute, kConstant };
enum class FlightPhase { kAscent, kDescent, kLanded };

struct FlightParams {
  FlightProfile profile = FlightProfile::kConstant;
  double burstAltM = 30000.0;
  double descentRateMps = 5.0;  // sinking speed; at sea level for the parachute law
  DescentLaw descentLaw = DescentLaw::kParachute;
  std::optional<double> landAltM;  // unset: start altitude for burst, 0 for descent
};

struct EnuVelocity {
  double east = 0.0;
  double north = 0.0;
  double up = 0.0;
};

const char* PhaseName(FlightPhase phase);

// Velocity of the sonde for each one-second step, by flight profile. The last step of an
// ascent ends exactly at the burst altitude and the last step of a descent exactly at the
// landing altitude; a landed sonde stands still.
class FlightModel {
 public:
  FlightModel(const FlightParams& params, const EnuVelocity& wind, double startAltM);

  // Velocity for the second that starts at altitude `altM`; advances the phase as needed.
  EnuVelocity Step(double altM);
  [[nodiscard]] FlightPhase Phase() const { return m_phase; }

 private:
  [[nodiscard]] double SinkRate(double altM) const;

  FlightParams m_params;
  EnuVelocity m_given;
  double m_landAltM = 0.0;
  FlightPhase m_phase = FlightPhase::kAscent;
};

}  // namespace rs41sim
