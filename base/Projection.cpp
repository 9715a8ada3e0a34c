#include "base/Projection.h"

#include <cmath>
#include <numbers>

namespace windlark {

MapPoint Project(double latitude, double longitude) {
  const double phi = latitude / 180.0 * std::numbers::pi;
  return {(longitude + 180.0) / 360.0,
          (1.0 - std::log(std::tan(phi) + 1.0 / std::cos(phi)) / std::numbers::pi) / 2.0};
}

}  // namespace windlark
