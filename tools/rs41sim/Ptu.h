#pragma once

#include <array>
#include <cstdint>
#include <span>

namespace rs41sim {

inline constexpr std::size_t kPtuRawValues = 12;
inline constexpr std::size_t kPressureOrders = 6;      // powers of the normalised reading
inline constexpr std::size_t kPressureTempOrders = 4;  // powers of the sensor temperature

// What the sonde is asked to measure; used when any PTU target option is given.
struct PtuSettings {
  double tempC = 15.0;  // at altitude 0
  double lapseKPerKm = 6.5;
  double humidityPct = 50.0;
  double humidityTempOffsetK = 5.0;  // humidity-sensor temperature above the air temperature
  bool pressureSensor = false;
};

// Stops falling at the standard tropopause temperature (or at tempC if that is colder).
double AirTemperatureC(const PtuSettings& settings, double altM);

// Conversion constants of one sonde, as read back from its calibration image.
struct SensorCalibration {
  std::array<double, 3> temp{};     // C0, C1, C2 of the air-temperature sensor
  std::array<double, 3> humTemp{};  // C0, C1, C2 of the humidity-sensor temperature
  double humidityReference = 0.0;
  std::array<std::array<double, kPressureTempOrders>, kPressureOrders> pressure{};
  double pressureScale = 0.0;
};

SensorCalibration ReadSensorCalibration(std::span<const std::uint8_t> image);

// Physical values one measurement block must carry.
struct PtuTargets {
  double tempC = 0.0;
  double humidityTempC = 0.0;
  double humidityPct = 0.0;
  double sondePressureHpa = 0.0;  // the pressure the receiver will weight humidity with
  bool encodePressure = false;    // write the sensor triple for sondePressureHpa
  double pressureSensorTempC = 0.0;
};

// The raw block content, plus the values a receiver converts it back to.
struct PtuEncoding {
  std::array<std::uint32_t, kPtuRawValues> raw{};
  std::int16_t pressureSensorCentiC = 0;
  double tempC = 0.0;
  double humidityTempC = 0.0;
  double pressureHpa = 0.0;
  double humidityPct = 0.0;
};

// Throws std::runtime_error when a target cannot be expressed with this calibration.
PtuEncoding EncodePtu(const SensorCalibration& cal, const PtuTargets& targets);

// The dew point a receiver derives from temperature and relative humidity (> 0).
double DewPointC(double tempC, double humidityPct);

}  // namespace rs41sim
