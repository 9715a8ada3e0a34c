#include "decoder/Ptu.h"

#include <bit>
#include <cmath>
#include <optional>

#include "base/Format.h"

namespace windlark {

namespace {

constexpr double kKelvinOffset = 273.15;

// Calibration offsets of the sensor coefficients.
constexpr std::size_t kCalTemperatureF1 = 89;
constexpr std::size_t kCalTemperatureF2 = 93;
constexpr std::size_t kCalHumidityReference = 117;
constexpr std::size_t kCalHumidityF1 = 305;
constexpr std::size_t kCalHumidityF2 = 309;
constexpr std::size_t kCalPressureColumn0 = 606;  // P(0..5, 0)
constexpr std::size_t kCalPressureScale = 630;
constexpr std::size_t kCalPressureColumn1 = 634;  // P(0..3, 1)
constexpr std::size_t kCalPressureColumn2 = 650;  // P(0..3, 2)
constexpr std::size_t kCalPressureColumn3 = 666;  // P(0..2, 3)

// Measurement block, from the start of its data: each triple is reading, reference 1,
// reference 2.
constexpr std::size_t kAirTemperatureTriple = 0;
constexpr std::size_t kCapacitanceTriple = 9;
constexpr std::size_t kHumidityTemperatureTriple = 18;
constexpr std::size_t kPressureTriple = 27;
constexpr std::size_t kPressureTemperature = 38;

constexpr int kPressureFromAltitude = 1;
constexpr int kPressureFromSensor = 2;

double CalibrationFloat(const SondeState& state, std::size_t offset) {
  return static_cast<double>(std::bit_cast<float>(ReadU32(state.calibration, offset)));
}

struct Coefficients {
  double c0 = 0;
  double c1 = 0;
  double c2 = 0;
};

Coefficients SensorCoefficients(double f1, double f2) {
  return {152.525507 * f1 + 21.4207275 + 4.5203283 * f2 + 0.20149469 * f1 * f1,
          68.4214297 * f1 - 1.93011515 - 3.88943767 * f2 + 3.43185723 * f1 * f1,
          2.26909904 * f1 - 1.25702115};
}

struct Triple {
  std::int32_t m = 0;
  std::int32_t r1 = 0;
  std::int32_t r2 = 0;
};

std::int32_t ReadU24(const RawFrame& frame, std::size_t at) {
  return static_cast<std::int32_t>(frame[at]) | static_cast<std::int32_t>(frame[at + 1]) << 8 |
         static_cast<std::int32_t>(frame[at + 2]) << 16;
}

Triple ReadTriple(const RawFrame& frame, std::size_t at) {
  return {ReadU24(frame, at), ReadU24(frame, at + 3), ReadU24(frame, at + 6)};
}

// (m − r1) / (r2 − r1); none when the references are equal.
std::optional<double> Normalised(const Triple& t) {
  if (t.r1 == t.r2) return std::nullopt;
  return static_cast<double>(t.m - t.r1) / static_cast<double>(t.r2 - t.r1);
}

// Temperature in °C of a sensor read as `t`; none when the reading gives no finite value.
std::optional<double> SensorTemperature(const Triple& t, const Coefficients& c) {
  const auto g = Normalised(t);
  if (!g) return std::nullopt;
  const double value = c.c1 * *g + c.c0 + c.c2 * *g * *g - kKelvinOffset;
  if (!std::isfinite(value)) return std::nullopt;
  return value;
}

std::optional<double> SensorPressure(const RawFrame& frame, std::size_t at,
                                     const SondeState& state) {
  const Triple p = ReadTriple(frame, at + kPressureTriple);
  if (p.r1 == p.r2 || p.r1 == p.m) return 0.0;
  const double f = static_cast<double>(p.m - p.r1) / static_cast<double>(p.r2 - p.r1);
  const double x = state.pressureScale / f;
  const auto raw = static_cast<std::int16_t>(ReadU16(frame, at + kPressureTemperature));
  const double t = raw * 0.01;
  double sum = 0;
  double xPower = 1;
  for (const auto& row : state.pressureMatrix) {
    double tPower = 1;
    for (const double entry : row) {
      // Entries the calibration does not supply are zero; skipping them keeps a huge power
      // from turning 0·∞ into NaN.
      if (entry != 0) sum += entry * xPower * tPower;
      tPower *= t;
    }
    xPower *= x;
  }
  if (!std::isfinite(sum)) return std::nullopt;
  return sum;
}

struct HumidityResult {
  double humidityTemperature = 0;
  double humidity = 0;
  std::optional<double> dewPoint;  // only for a humidity above 0
};

// Relative humidity in % from the capacitance and the humidity-sensor temperature, with the
// air temperature `t` and pressure `pressureHpa` of this frame.
std::optional<HumidityResult> ComputeHumidity(const RawFrame& frame, std::size_t at,
                                              const SondeState& state, double t,
                                              double pressureHpa) {
  const Coefficients c{state.humTempC0, state.humTempC1, state.humTempC2};
  const auto th = SensorTemperature(ReadTriple(frame, at + kHumidityTemperatureTriple), c);
  const auto capacitance = Normalised(ReadTriple(frame, at + kCapacitanceTriple));
  if (!th || !capacitance) return std::nullopt;
  const double u = 1 - *capacitance;
  const double h = *th;
  const double high = -791.521729 * u + 124.240395 + 601.126343 * u * u - 0.257403404 * h +
                      2.42766595 * h * u + 0.005621241 * h * h - 0.06203286 * h * h * u;
  const double low =
      -945.904541 * u + 109.323631 - 1.7853626 * h - 0.030770345 * h * h - 0.000199338 * h * h * h;
  const double w = (pressureHpa - 140) / 60;
  double r = 0;
  if (w < 0) {
    r = low;
  } else if (w > 1) {
    r = high;
  } else {
    r = w * high + (1 - w) * low;
  }
  HumidityResult result;
  result.humidityTemperature = h;
  result.humidity = (r - (state.humidityReference - 40) * 20) * ((h - t - 5) * 0.067 + 1);
  if (!std::isfinite(result.humidity)) return std::nullopt;
  if (result.humidity > 0) {
    const double lambda = std::log(result.humidity / 100);
    const double dew =
        t + (240.97 * lambda * (t + 240.97) + 17.502 * t) / (4217.45694 - lambda * (t + 240.97));
    if (!std::isfinite(dew)) return std::nullopt;
    result.dewPoint = dew;
  }
  return result;
}

void ShowTemperature(SondeState& state, double temperature, const FrameRecord& record,
                     DecodeContext& ctx) {
  state.temperature = temperature;
  ctx.view.SetText(ReadOut::Temperature, FormatFixed(temperature, 1) + " °C");
  const double magnitude = std::fabs(temperature);
  if (record.positionValid != 0 && magnitude < state.bestIsoTemperature &&
      std::isfinite(state.altitude)) {
    state.bestIsoTemperature = magnitude;
    state.bestIsoAltitude = state.altitude;
    ctx.view.SetStatusPanel(2, 3,
                            "Best ISO 0° (" + FormatFixed(temperature, 1) +
                                "°C): " + FormatFixed(state.altitude, 1) + "m");
  }
}

bool HumidityInputsReady(const SondeState& state, const FrameRecord& record) {
  if (state.pressureSource == kPressureFromSensor) {
    return state.temperatureCalReady && state.humidityCalReady && state.pressureCalReady;
  }
  if (state.pressureSource == kPressureFromAltitude) {
    return state.temperatureCalReady && state.humidityCalReady && record.positionValid != 0;
  }
  return false;
}

}  // namespace

void ComputeTemperatureCoefficients(SondeState& state) {
  const Coefficients c = SensorCoefficients(CalibrationFloat(state, kCalTemperatureF1),
                                            CalibrationFloat(state, kCalTemperatureF2));
  state.tempC0 = c.c0;
  state.tempC1 = c.c1;
  state.tempC2 = c.c2;
  state.temperatureCalReady = true;
}

void ComputeHumidityCoefficients(SondeState& state) {
  const Coefficients c = SensorCoefficients(CalibrationFloat(state, kCalHumidityF1),
                                            CalibrationFloat(state, kCalHumidityF2));
  state.humTempC0 = c.c0;
  state.humTempC1 = c.c1;
  state.humTempC2 = c.c2;
  state.humidityReference = CalibrationFloat(state, kCalHumidityReference);
  state.humidityCalReady = true;
}

void LoadPressureCoefficients(SondeState& state) {
  auto& p = state.pressureMatrix;
  const auto column = [&](std::size_t j, std::size_t offset, std::size_t rows) {
    for (std::size_t i = 0; i < rows; ++i) p[i][j] = CalibrationFloat(state, offset + 4 * i);
  };
  column(0, kCalPressureColumn0, 6);
  column(1, kCalPressureColumn1, 4);
  column(2, kCalPressureColumn2, 4);
  column(3, kCalPressureColumn3, 3);
  state.pressureScale = CalibrationFloat(state, kCalPressureScale);
  state.pressureCalReady = true;
}

void ConvertPtu(const RawFrame& frame, std::size_t at, SondeState& state, FrameRecord& record,
                DecodeContext& ctx) {
  // A reading that gives no finite value is skipped for this frame: the panels keep their
  // last text and nothing of it reaches the log.
  std::optional<double> temperature;
  if (state.temperatureCalReady) {
    const Coefficients c{state.tempC0, state.tempC1, state.tempC2};
    temperature = SensorTemperature(ReadTriple(frame, at + kAirTemperatureTriple), c);
    if (temperature) {
      ShowTemperature(state, *temperature, record, ctx);
      state.temperatureDecoded = true;
    }
  }

  bool pressureSkipped = false;
  if (state.pressureCalReady && state.pressureSource == kPressureFromSensor) {
    const auto pressure = SensorPressure(frame, at, state);
    pressureSkipped = !pressure;
    if (pressure) {
      state.pressure = *pressure;
      state.pressureDecoded = true;
      ctx.view.SetText(ReadOut::Pressure, FormatFixed(*pressure, 1) + " hPa");
    }
  }

  // Humidity needs this frame's temperature and pressure: stale ones would be logged as current.
  if (!temperature || pressureSkipped || !HumidityInputsReady(state, record)) return;
  const auto result = ComputeHumidity(frame, at, state, *temperature, state.pressure);
  if (!result) return;
  state.humidityTemperature = result->humidityTemperature;
  state.humidity = result->humidity;
  if (result->dewPoint) {
    state.dewPoint = *result->dewPoint;
    ctx.view.SetText(ReadOut::Humidity, FormatFixed(state.humidity, 1) + " %");
    ctx.view.SetText(ReadOut::DewPoint, FormatFixed(state.dewPoint, 1) + " °C");
    record.dewPoint = state.dewPoint;
  } else {
    ctx.view.SetText(ReadOut::Humidity, "0.0 %");
    ctx.view.SetText(ReadOut::DewPoint, "");
  }
  record.temperature = state.temperature;
  record.humidity = state.humidity;
  record.pressure = state.pressure;
  record.ptuValid = 1;
}

double PressureFromAltitude(double h) {
  if (!std::isfinite(h)) return 0;  // a position that is no number gives no pressure
  if (h < 11000) return 1013.25 * std::pow(288.15 / (288.15 - 0.0065 * h), -5.25578774055217);
  if (h < 20000) return 226.321 * std::exp(0.000157685761890557 * (11000 - h));
  if (h < 32000) {
    return 54.7489 * std::pow(216.65 / (216.65 + 0.001 * (h - 20000)), 34.1626203135891);
  }
  if (h < 47000) {
    return 8.682 * std::pow(228.65 / (228.65 + 0.0028 * (h - 32000)), 12.2009358262818);
  }
  return 0;
}

}  // namespace windlark
