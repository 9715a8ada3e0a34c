#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace rs41sim {

inline constexpr std::size_t kFragmentCount = 51;
inline constexpr std::size_t kFragmentSize = 16;
inline constexpr std::size_t kCalibrationSize = kFragmentCount * kFragmentSize;  // 816

inline constexpr std::uint16_t kCountdownNone = 0xFFFF;

struct CalibrationParams {
  double freqKhz = 403000.0;
  std::string serial = "T1234567";
  std::uint16_t firmware = 20506;
  bool burstKill = false;
  std::string sondeType = "RS41-SG";
  std::uint16_t killTimerS = 30600;
  std::uint16_t countdownS = kCountdownNone;
  bool sensorConstants = false;    // temperature and humidity conversion constants
  bool pressureConstants = false;  // pressure-sensor polynomial
};

// Frequencies the 16-bit calibration field can express: 400 MHz + value * 20/128 kHz.
inline constexpr double kMinFreqKhz = 400000.0;
inline constexpr double kMaxFreqKhz = 400000.0 + 65535.0 * 20.0 / 128.0;

// Builds the 816-byte image with only the fields we model set, the rest zero, and the image
// CRC stored at offset 0. The sensor constants, when asked for, are typical RS41 values.
std::vector<std::uint8_t> BuildCalibrationImage(const CalibrationParams& params);

// Reads an 816-byte image verbatim; throws std::runtime_error on a missing or wrong-size file.
std::vector<std::uint8_t> LoadCalibrationImage(const std::string& path);

}  // namespace rs41sim
