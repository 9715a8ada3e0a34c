#include "Calibration.h"

#include <bit>
#include <cmath>
#include <fstream>
#include <iterator>
#include <span>
#include <stdexcept>

#include "ByteUtil.h"
#include "SimCrc.h"

namespace rs41sim {
namespace {

constexpr std::size_t kOffsetCrc = 0x000;
constexpr std::size_t kOffsetFreq = 0x002;
constexpr std::size_t kOffsetSerial = 0x00D;
constexpr std::size_t kOffsetFirmware = 0x015;
constexpr std::size_t kOffsetBurstKill = 0x02B;
constexpr std::size_t kOffsetRf1 = 0x03D;
constexpr std::size_t kOffsetRf2 = 0x041;
constexpr std::size_t kOffsetSondeType = 0x218;
constexpr std::size_t kSondeTypeLen = 10;
constexpr std::size_t kSerialLen = 8;
constexpr std::size_t kOffsetKillTimer = 0x316;
constexpr std::size_t kOffsetCountdown = 0x320;
constexpr std::size_t kCrcEnd = 0x320;  // CRC covers 0x002..0x31F
constexpr std::size_t kOffsetTempF1 = 89;
constexpr std::size_t kOffsetHumidityReference = 117;
constexpr std::size_t kOffsetHumTempF1 = 305;
constexpr std::size_t kOffsetPressure = 606;

// Reference resistors every RS41 we have seen carries; decoders need them for temperature.
constexpr float kRf1Ohm = 750.0F;
constexpr float kRf2Ohm = 1100.0F;

// Sensor constants of a typical RS41: two floats per temperature channel, the humidity
// reference, and the pressure polynomial in its stored order (P(0..5,0), scale, P(0..3,1),
// P(0..3,2), P(0..2,3)). With these the conversions are monotonic over the whole flight range.
constexpr float kTempF[] = {1.16F, -0.025F};
constexpr float kHumTempF[] = {1.34F, -0.45F};
constexpr float kHumidityReference = 45.0F;
constexpr float kPressureConstants[] = {-353.0F,   1.92F,  166.0F,   -35.0F,    4.8F,     -0.248F,
                                        1.0F,      0.058F, -0.0032F, -0.0112F,  0.00135F, 0.000346F,
                                        -0.00029F, 0.0F,   0.0F,     -5.55e-6F, 2.16e-6F, 0.0F};

void PutFloats(std::span<std::uint8_t> image, std::size_t at, std::span<const float> values) {
  for (const float value : values) {
    PutU32Le(image, at, std::bit_cast<std::uint32_t>(value));
    at += 4;
  }
}

void PutText(std::span<std::uint8_t> image, std::size_t at, const std::string& text,
             std::size_t width) {
  for (std::size_t i = 0; i < width; ++i) {
    image[at + i] = i < text.size() ? static_cast<std::uint8_t>(text[i]) : std::uint8_t{0};
  }
}

}  // namespace

std::vector<std::uint8_t> BuildCalibrationImage(const CalibrationParams& params) {
  std::vector<std::uint8_t> image(kCalibrationSize, 0);
  const std::span<std::uint8_t> view(image);

  const double freqCode = std::round((params.freqKhz - kMinFreqKhz) * 128.0 / 20.0);
  if (freqCode < 0.0 || freqCode > 65535.0) throw std::invalid_argument("frequency out of range");
  PutU16Le(view, kOffsetFreq, static_cast<std::uint16_t>(freqCode));
  PutText(view, kOffsetSerial, params.serial, kSerialLen);
  PutU16Le(view, kOffsetFirmware, params.firmware);
  image[kOffsetBurstKill] = params.burstKill ? 1 : 0;
  PutU32Le(view, kOffsetRf1, std::bit_cast<std::uint32_t>(kRf1Ohm));
  PutU32Le(view, kOffsetRf2, std::bit_cast<std::uint32_t>(kRf2Ohm));
  PutText(view, kOffsetSondeType, params.sondeType, kSondeTypeLen);
  PutU16Le(view, kOffsetKillTimer, params.killTimerS);
  PutU16Le(view, kOffsetCountdown, params.countdownS);
  if (params.sensorConstants) {
    PutFloats(view, kOffsetTempF1, kTempF);
    PutFloats(view, kOffsetHumTempF1, kHumTempF);
    PutU32Le(view, kOffsetHumidityReference, std::bit_cast<std::uint32_t>(kHumidityReference));
  }
  if (params.pressureConstants) PutFloats(view, kOffsetPressure, kPressureConstants);

  PutU16Le(view, kOffsetCrc, Crc16CcittFalse(view.subspan(kOffsetFreq, kCrcEnd - kOffsetFreq)));
  return image;
}

std::vector<std::uint8_t> LoadCalibrationImage(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot open calibration file '" + path + "'");
  std::vector<std::uint8_t> image;
  for (auto it = std::istreambuf_iterator<char>(in); it != std::istreambuf_iterator<char>(); ++it) {
    image.push_back(static_cast<std::uint8_t>(*it));
    if (image.size() > kCalibrationSize) break;
  }
  if (image.size() != kCalibrationSize) {
    throw std::runtime_error("calibration file '" + path + "' is not exactly 816 bytes");
  }
  return image;
}

}  // namespace rs41sim
