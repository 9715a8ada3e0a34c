#include "Atmosphere.h"

#include <algorithm>
#include <cmath>

namespace rs41sim {
namespace {

constexpr double kTopAltM = 47000.0;
constexpr double kSeaLevelHpa = 1013.25;
constexpr double kSeaLevelK = 288.15;

// Pressure of the four layers up to 47 km, without the cut-off above.
double LayerPressureHpa(double altM) {
  if (altM < 11000.0) {
    return kSeaLevelHpa * std::pow(kSeaLevelK / (kSeaLevelK - 0.0065 * altM), -5.25578774055217);
  }
  if (altM < 20000.0) return 226.321 * std::exp(0.000157685761890557 * (11000.0 - altM));
  if (altM < 32000.0) {
    return 54.7489 * std::pow(216.65 / (216.65 + 0.001 * (altM - 20000.0)), 34.1626203135891);
  }
  return 8.682 * std::pow(228.65 / (228.65 + 0.0028 * (altM - 32000.0)), 12.2009358262818);
}

// Temperature of the same layers: lapse 6.5 K/km, isothermal, +1 K/km, +2.8 K/km.
double LayerTemperatureK(double altM) {
  if (altM < 11000.0) return kSeaLevelK - 0.0065 * altM;
  if (altM < 20000.0) return 216.65;
  if (altM < 32000.0) return 216.65 + 0.001 * (altM - 20000.0);
  return 228.65 + 0.0028 * (altM - 32000.0);
}

}  // namespace

double StandardPressureHpa(double altM) {
  return altM >= kTopAltM ? 0.0 : LayerPressureHpa(altM);
}

double StandardDensityRatio(double altM) {
  const double h = std::min(altM, kTopAltM);
  return (LayerPressureHpa(h) / kSeaLevelHpa) * (kSeaLevelK / LayerTemperatureK(h));
}

}  // namespace rs41sim
