#include "Ptu.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>

#include "ByteUtil.h"

namespace rs41sim {
namespace {

constexpr double kZeroCelsiusK = 273.15;
constexpr double kTropopauseC = -56.5;
constexpr std::uint32_t kMaxRaw = 0xFFFFFF;

// Calibration image offsets of the sensor constants.
constexpr std::size_t kOffsetTempF1 = 89;
constexpr std::size_t kOffsetTempF2 = 93;
constexpr std::size_t kOffsetHumidityReference = 117;
constexpr std::size_t kOffsetHumTempF1 = 305;
constexpr std::size_t kOffsetHumTempF2 = 309;
constexpr std::size_t kOffsetPressure = 606;

// Reference readings of each measurement channel: typical RS41 counts, scaled up sixteenfold
// so that one count moves the converted value far less than the precision we promise.
struct References {
  std::int32_t r1;
  std::int32_t r2;
};
constexpr References kTempRefs{2100000, 3050000};
constexpr References kHumidityRefs{7840000, 8960000};
constexpr References kHumTempRefs{2100000, 3050000};
constexpr References kPressureRefs{4680000, 6730000};

// Largest allowed error of a converted value against its target.
constexpr double kTempTolerance = 0.005;
constexpr double kHumidityTolerance = 0.025;
constexpr double kPressureTolerance = 0.005;

double FloatAt(std::span<const std::uint8_t> image, std::size_t at) {
  return static_cast<double>(std::bit_cast<float>(GetU32Le(image, at)));
}

std::array<double, 3> SensorCoefficients(double f1, double f2) {
  return {152.525507 * f1 + 21.4207275 + 4.5203283 * f2 + 0.20149469 * f1 * f1,
          68.4214297 * f1 - 1.93011515 - 3.88943767 * f2 + 3.43185723 * f1 * f1,
          2.26909904 * f1 - 1.25702115};
}

double Normalised(std::uint32_t m, const References& refs) {
  return static_cast<double>(static_cast<std::int32_t>(m) - refs.r1) /
         static_cast<double>(refs.r2 - refs.r1);
}

double SensorTemperatureC(const std::array<double, 3>& c, double g) {
  return c[1] * g + c[0] + c[2] * g * g - kZeroCelsiusK;
}

double SensorPressureHpa(const SensorCalibration& cal, double f, double t) {
  const double x = cal.pressureScale / f;
  double sum = 0.0;
  double xPower = 1.0;
  for (std::size_t i = 0; i < kPressureOrders; ++i) {
    double tPower = 1.0;
    for (std::size_t j = 0; j < kPressureTempOrders; ++j) {
      sum += cal.pressure[i][j] * xPower * tPower;
      tPower *= t;
    }
    xPower *= x;
  }
  return sum;
}

double HumidityPct(const SensorCalibration& cal, double u, double th, double t, double p) {
  const double high = -791.521729 * u + 124.240395 + 601.126343 * u * u - 0.257403404 * th +
                      2.42766595 * th * u + 0.005621241 * th * th - 0.06203286 * th * th * u;
  const double low = -945.904541 * u + 109.323631 - 1.7853626 * th - 0.030770345 * th * th -
                     0.000199338 * th * th * th;
  const double w = (p - 140.0) / 60.0;
  const double r = w < 0.0 ? low : (w > 1.0 ? high : w * high + (1.0 - w) * low);
  return (r - (cal.humidityReference - 40.0) * 20.0) * ((th - t - 5.0) * 0.067 + 1.0);
}

// First root of `fn` found scanning from `from` to `to` in `steps` equal steps, refined by
// bisection.
std::optional<double> FindRoot(const std::function<double(double)>& fn, double from, double to,
                               int steps) {
  double a = from;
  double fa = fn(a);
  for (int k = 1; k <= steps; ++k) {
    if (fa == 0.0) return a;
    const double b = from + (to - from) * k / steps;
    const double fb = fn(b);
    if ((fa < 0.0) != (fb < 0.0)) {
      double lo = a;
      double hi = b;
      for (int i = 0; i < 200; ++i) {
        const double mid = 0.5 * (lo + hi);
        if (mid == lo || mid == hi) break;
        if ((fn(mid) < 0.0) == (fa < 0.0)) {
          lo = mid;
        } else {
          hi = mid;
        }
      }
      return 0.5 * (lo + hi);
    }
    a = b;
    fa = fb;
  }
  return {};
}

std::string Number(double value) {
  char buffer[48];
  const auto result =
      std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 3);
  return std::string(buffer, result.ptr);
}

std::uint32_t Reading(double g, const References& refs, const char* what) {
  const double m = std::round(refs.r1 + g * (refs.r2 - refs.r1));
  if (!(m >= 0.0 && m <= kMaxRaw)) {
    throw std::runtime_error(std::string(what) + " reading out of the 24-bit range");
  }
  return static_cast<std::uint32_t>(m);
}

// Reading of a temperature channel whose conversion gives `tempC`.
std::uint32_t TemperatureReading(const std::array<double, 3>& c, double tempC,
                                 const References& refs, const char* what) {
  // c2·g² + c1·g + (c0 − T) = 0; take the root that continues the linear term's branch, in
  // the form that stays accurate for small c2.
  const double constant = c[0] - (tempC + kZeroCelsiusK);
  const double disc = c[1] * c[1] - 4.0 * c[2] * constant;
  const double q = -0.5 * (c[1] + std::copysign(std::sqrt(std::max(disc, 0.0)), c[1]));
  if (disc < 0.0 || q == 0.0) {
    throw std::runtime_error(std::string(what) + " " + Number(tempC) +
                             " C cannot be expressed with this calibration");
  }
  return Reading(constant / q, refs, what);
}

void CheckClose(double got, double want, double tolerance, const char* what) {
  if (!(std::abs(got - want) <= tolerance)) {
    throw std::runtime_error(std::string(what) + " " + Number(want) +
                             " cannot be encoded precisely with this calibration");
  }
}

void EncodePressure(const SensorCalibration& cal, const PtuTargets& targets, PtuEncoding& out) {
  const double centi = std::round(targets.pressureSensorTempC * 100.0);
  if (centi < -32768.0 || centi > 32767.0) {
    throw std::runtime_error("pressure-sensor temperature out of range");
  }
  out.pressureSensorCentiC = static_cast<std::int16_t>(centi);
  const double t = centi / 100.0;
  // Scan from small to large scale/f: the first crossing is on the sensor's working branch;
  // the polynomial turns over far beyond it.
  const auto f =
      FindRoot([&](double v) { return SensorPressureHpa(cal, v, t) - targets.sondePressureHpa; },
               2.0, 0.05, 390);
  if (!f) {
    throw std::runtime_error("pressure " + Number(targets.sondePressureHpa) +
                             " hPa cannot be expressed with this calibration");
  }
  out.raw[9] = Reading(*f, kPressureRefs, "pressure");
  out.raw[10] = static_cast<std::uint32_t>(kPressureRefs.r1);
  out.raw[11] = static_cast<std::uint32_t>(kPressureRefs.r2);
  out.pressureHpa = SensorPressureHpa(cal, Normalised(out.raw[9], kPressureRefs), t);
  CheckClose(out.pressureHpa, targets.sondePressureHpa, kPressureTolerance, "pressure");
}

}  // namespace

double AirTemperatureC(const PtuSettings& settings, double altM) {
  const double floor = std::min(settings.tempC, kTropopauseC);
  return std::max(settings.tempC - settings.lapseKPerKm * altM / 1000.0, floor);
}

SensorCalibration ReadSensorCalibration(std::span<const std::uint8_t> image) {
  SensorCalibration cal;
  cal.temp = SensorCoefficients(FloatAt(image, kOffsetTempF1), FloatAt(image, kOffsetTempF2));
  cal.humTemp =
      SensorCoefficients(FloatAt(image, kOffsetHumTempF1), FloatAt(image, kOffsetHumTempF2));
  cal.humidityReference = FloatAt(image, kOffsetHumidityReference);
  // Stored order: P(0..5,0), scale, P(0..3,1), P(0..3,2), P(0..2,3).
  struct Run {
    std::size_t column;
    std::size_t count;
  };
  constexpr Run kRuns[] = {{0, 6}, {kPressureTempOrders, 1}, {1, 4}, {2, 4}, {3, 3}};
  std::size_t at = kOffsetPressure;
  for (const Run& run : kRuns) {
    for (std::size_t i = 0; i < run.count; ++i, at += 4) {
      if (run.column == kPressureTempOrders) {
        cal.pressureScale = FloatAt(image, at);
      } else {
        cal.pressure[i][run.column] = FloatAt(image, at);
      }
    }
  }
  return cal;
}

PtuEncoding EncodePtu(const SensorCalibration& cal, const PtuTargets& targets) {
  PtuEncoding out;
  out.raw[0] = TemperatureReading(cal.temp, targets.tempC, kTempRefs, "temperature");
  out.raw[1] = static_cast<std::uint32_t>(kTempRefs.r1);
  out.raw[2] = static_cast<std::uint32_t>(kTempRefs.r2);
  out.tempC = SensorTemperatureC(cal.temp, Normalised(out.raw[0], kTempRefs));
  CheckClose(out.tempC, targets.tempC, kTempTolerance, "temperature");

  out.raw[6] = TemperatureReading(cal.humTemp, targets.humidityTempC, kHumTempRefs,
                                  "humidity-sensor temperature");
  out.raw[7] = static_cast<std::uint32_t>(kHumTempRefs.r1);
  out.raw[8] = static_cast<std::uint32_t>(kHumTempRefs.r2);
  out.humidityTempC = SensorTemperatureC(cal.humTemp, Normalised(out.raw[6], kHumTempRefs));
  CheckClose(out.humidityTempC, targets.humidityTempC, kTempTolerance,
             "humidity-sensor temperature");

  out.pressureHpa = targets.sondePressureHpa;
  if (targets.encodePressure) EncodePressure(cal, targets, out);

  // Solve with the values the receiver will actually have, not the targets, so that the
  // rounding of the other channels does not leak into the humidity.
  const auto humidityAt = [&](double u) {
    return HumidityPct(cal, u, out.humidityTempC, out.tempC, out.pressureHpa) - targets.humidityPct;
  };
  // Over u in [-3, 0.6] the model falls steadily, so the first crossing is the only one.
  const auto u = FindRoot(humidityAt, 0.6, -3.0, 360);
  if (!u) {
    throw std::runtime_error("humidity " + Number(targets.humidityPct) +
                             " %RH cannot be expressed with this calibration");
  }
  out.raw[3] = Reading(1.0 - *u, kHumidityRefs, "humidity");
  out.raw[4] = static_cast<std::uint32_t>(kHumidityRefs.r1);
  out.raw[5] = static_cast<std::uint32_t>(kHumidityRefs.r2);
  out.humidityPct = HumidityPct(cal, 1.0 - Normalised(out.raw[3], kHumidityRefs), out.humidityTempC,
                                out.tempC, out.pressureHpa);
  CheckClose(out.humidityPct, targets.humidityPct, kHumidityTolerance, "humidity");
  return out;
}

double DewPointC(double tempC, double humidityPct) {
  const double lambda = std::log(humidityPct / 100.0);
  return tempC + (240.97 * lambda * (tempC + 240.97) + 17.502 * tempC) /
                     (4217.45694 - lambda * (tempC + 240.97));
}

}  // namespace rs41sim
