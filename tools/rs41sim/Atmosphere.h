#pragma once

namespace rs41sim {

// Standard-atmosphere pressure in hPa at geometric altitude `altM`, as RS41 ground stations
// derive it from the GPS altitude for sondes without a pressure sensor; 0 from 47 km up.
double StandardPressureHpa(double altM);

// Air density at `altM` relative to sea level in the standard atmosphere. Above 47 km the
// 47 km value is returned, so speeds derived from it stay finite.
double StandardDensityRatio(double altM);

}  // namespace rs41sim
