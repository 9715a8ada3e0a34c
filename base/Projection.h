#pragma once

namespace windlark {

struct MapPoint {
  double x = 0;
  double y = 0;
};

// Spherical Web Mercator: longitude -180..180 to x 0..1, latitude to y (0 at the top).
// Nothing is clamped: latitudes beyond the Mercator square give y outside 0..1.
MapPoint Project(double latitude, double longitude);

}  // namespace windlark
