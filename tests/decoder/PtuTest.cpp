#include "decoder/Ptu.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <limits>
#include <optional>
#include <string>

#include "base/Format.h"
#include "decoder/DecoderRig.h"

namespace windlark {
namespace {

using test::DecoderRig;
using test::FrameSpec;

struct Triple {
  std::uint32_t m = 150000;
  std::uint32_t r1 = 100000;
  std::uint32_t r2 = 200000;
};

// Reading at normalised value g against references 100 000 and 200 000.
Triple At(double g) {
  return {static_cast<std::uint32_t>(100000 + std::lround(g * 100000)), 100000, 200000};
}

constexpr Triple kEqualReferences{123, 100000, 100000};
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

struct Readings {
  Triple air = At(0);
  Triple capacitance = At(1);
  Triple humidityTemperature = At(0);
  Triple pressure = At(0.5);
  std::int16_t pressureTemperature = 0;  // 0.01 °C
};

void Put24(std::vector<std::uint8_t>& f, std::size_t at, std::uint32_t v) {
  for (std::size_t k = 0; k < 3; ++k) f[at + k] = static_cast<std::uint8_t>(v >> (8 * k));
}

void PutTriple(std::vector<std::uint8_t>& f, std::size_t at, const Triple& t) {
  Put24(f, at, t.m);
  Put24(f, at + 3, t.r1);
  Put24(f, at + 6, t.r2);
}

// A whole frame with these readings in its measurement block; `satellites` in its position block.
RawFrame PtuFrame(const Readings& r, int satellites = 8) {
  auto f = test::BuildFrame(FrameSpec{});
  PutTriple(f, 103, r.air);
  PutTriple(f, 112, r.capacitance);
  PutTriple(f, 121, r.humidityTemperature);
  PutTriple(f, 130, r.pressure);
  const auto t = static_cast<std::uint16_t>(r.pressureTemperature);
  f[141] = static_cast<std::uint8_t>(t);
  f[142] = static_cast<std::uint8_t>(t >> 8);
  test::SealBlock(f, 103, 42);
  f[294] = static_cast<std::uint8_t>(satellites);
  test::SealBlock(f, 276, 21);
  return test::ToRawFrame(f);
}

void PutFloat(SondeState& state, std::size_t offset, float value) {
  const auto bits = std::bit_cast<std::uint32_t>(value);
  for (std::size_t k = 0; k < 4; ++k) {
    state.calibration[offset + k] = static_cast<std::uint8_t>(bits >> (8 * k));
  }
}

// Coefficients chosen so that g = 0 reads airC °C and humC °C, humidity reference 40 (no offset).
void SetFlatCoefficients(SondeState& state, double airC, double humC) {
  state.tempC0 = 273.15 + airC;
  state.tempC1 = state.tempC2 = 0;
  state.humTempC0 = 273.15 + humC;
  state.humTempC1 = state.humTempC2 = 0;
  state.humidityReference = 40;
  state.temperatureCalReady = state.humidityCalReady = true;
}

// One conversion as the frame decoder runs it, with or without a position with satellites.
FrameRecord Convert(DecoderRig& rig, const Readings& r, bool position = true) {
  FrameRecord record;
  record.positionValid = position ? 1 : 0;
  ConvertPtu(PtuFrame(r), 103, rig.state, record, rig.ctx);
  return record;
}

TEST(Ptu, CoefficientsFromTheCalibrationImage) {
  DecoderRig rig;
  auto& s = rig.state;
  // Zero floats give the bare constants, and g = 0 reads their sum less 273.15.
  ComputeTemperatureCoefficients(s);
  EXPECT_DOUBLE_EQ(s.tempC0, 21.4207275);
  EXPECT_DOUBLE_EQ(s.tempC1, -1.93011515);
  EXPECT_DOUBLE_EQ(s.tempC2, -1.25702115);
  Convert(rig, Readings{});
  EXPECT_NEAR(s.temperature, -251.7292725, 1e-9);
  EXPECT_EQ(rig.view.Text(ReadOut::Temperature), "-251.7 °C");

  // Offsets and byte order: F1 = 2, F2 = −1 for temperature; 0.5, 3 for the humidity sensor.
  PutFloat(s, 89, 2.0F);
  PutFloat(s, 93, -1.0F);
  PutFloat(s, 305, 0.5F);
  PutFloat(s, 309, 3.0F);
  PutFloat(s, 117, 47.25F);
  ComputeTemperatureCoefficients(s);
  ComputeHumidityCoefficients(s);
  EXPECT_NEAR(s.tempC0, 305.051014 + 21.4207275 - 4.5203283 + 0.80597876, 1e-9);
  EXPECT_NEAR(s.tempC1, 136.8428594 - 1.93011515 + 3.88943767 + 13.72742892, 1e-9);
  EXPECT_NEAR(s.tempC2, 4.53819808 - 1.25702115, 1e-9);
  EXPECT_NEAR(s.humTempC0, 76.2627535 + 21.4207275 + 13.5609849 + 0.0503736725, 1e-9);
  EXPECT_NEAR(s.humTempC1, 34.21071485 - 1.93011515 - 11.66831301 + 0.8579643075, 1e-9);
  EXPECT_NEAR(s.humTempC2, 1.13454952 - 1.25702115, 1e-9);
  EXPECT_DOUBLE_EQ(s.humidityReference, 47.25);
  EXPECT_TRUE(s.temperatureCalReady && s.humidityCalReady);

  // Pressure: float k at offset 606 + 4k lands where the layout puts it.
  for (int k = 0; k < 18; ++k)
    PutFloat(s, static_cast<std::size_t>(606 + 4 * k), static_cast<float>(k + 1));
  LoadPressureCoefficients(s);
  const double expected[6][4] = {
      {1, 8, 12, 16}, {2, 9, 13, 17}, {3, 10, 14, 18}, {4, 11, 15, 0}, {5, 0, 0, 0}, {6, 0, 0, 0},
  };
  for (std::size_t i = 0; i < 6; ++i) {
    for (std::size_t j = 0; j < 4; ++j) {
      EXPECT_EQ(s.pressureMatrix[i][j], expected[i][j]) << "P(" << i << ", " << j << ")";
    }
  }
  EXPECT_EQ(s.pressureScale, 7);

  // A new sonde forgets the matrix.
  NewSonde(s, rig.log, rig.ctx);
  for (const auto& row : s.pressureMatrix) {
    for (double entry : row) EXPECT_EQ(entry, 0);
  }
  EXPECT_FALSE(s.temperatureCalReady || s.humidityCalReady || s.pressureCalReady);
}

TEST(Ptu, PressureFromAltitudeFollowsTheStandardAtmosphere) {
  struct Case {
    double h;
    double hPa;
    double tolerance;
  };
  const Case cases[] = {
      {0, 1013.25, 1e-9},
      {5000, 540.205, 0.001},
      {10999.999, 226.321, 0.01},
      {11000, 226.321, 1e-9},
      {19999.999, 54.7489, 0.01},
      {20000, 54.7489, 1e-9},
      {31999.999, 8.682, 0.01},
      {32000, 8.682, 1e-9},
      {46999, 1.1, 0.05},
      {47000, 0, 0},
      {50000, 0, 0},
      {-100, 1025.321, 0.001},
      {std::numeric_limits<double>::quiet_NaN(), 0, 0},
  };
  for (const auto& c : cases) {
    EXPECT_NEAR(PressureFromAltitude(c.h), c.hPa, c.tolerance) << "h = " << c.h;
  }
}

TEST(Ptu, SensorPressureFromTheMatrix) {
  DecoderRig rig;
  auto& s = rig.state;
  s.pressureSource = 2;
  s.pressureCalReady = true;
  s.pressureScale = 1;  // x = 1 / f = 2 at f = 0.5
  s.pressureMatrix[0][0] = 1000;
  s.pressureMatrix[1][0] = -10;
  s.pressureMatrix[5][0] = 0.25;
  s.pressureMatrix[0][1] = 2;
  s.pressureMatrix[2][3] = 0.001;
  Readings r;
  r.pressureTemperature = -1234;  // signed: −12.34 °C
  const FrameRecord record = Convert(rig, r);
  const double t = -12.34;
  EXPECT_NEAR(s.pressure, 1000 - 20 + 0.25 * 32 + 2 * t + 0.001 * 4 * t * t * t, 1e-9);
  EXPECT_EQ(rig.view.Text(ReadOut::Pressure), "955.8 hPa");
  // No temperature coefficients: no temperature, no humidity, nothing logged.
  EXPECT_EQ(rig.view.Text(ReadOut::Temperature), "");
  EXPECT_EQ(record.ptuValid, 0);

  // A reading equal to its first reference gives 0 by the sensor's own guard.
  r.pressure = {100000, 100000, 200000};
  Convert(rig, r);
  EXPECT_EQ(s.pressure, 0);
  EXPECT_EQ(rig.view.Text(ReadOut::Pressure), "0.0 hPa");
}

TEST(Ptu, HumidityWeightsTheHighAndLowPressureModels) {
  // T = 20 °C, Th = 20 °C, u = 0: H = 121.34082332, L = 59.713537, temperature factor 0.665.
  const double high = 121.34082332 * 0.665;
  const double low = 59.713537 * 0.665;
  struct Case {
    double hPa;
    double humidity;
    const char* text;
  };
  const Case cases[] = {
      {100, low, "39.7 %"},  {140, low, "39.7 %"},   {170, (high + low) / 2, "60.2 %"},
      {200, high, "80.7 %"}, {1000, high, "80.7 %"},
  };
  for (const auto& c : cases) {
    DecoderRig rig;
    rig.state.pressureSource = 1;  // pressure from the altitude, set by the position step
    rig.state.pressure = c.hPa;
    SetFlatCoefficients(rig.state, 20, 20);
    const FrameRecord record = Convert(rig, Readings{});
    EXPECT_NEAR(rig.state.humidity, c.humidity, 1e-6) << c.hPa << " hPa";
    EXPECT_EQ(rig.view.Text(ReadOut::Humidity), c.text) << c.hPa << " hPa";
    EXPECT_EQ(record.ptuValid, 1);
    EXPECT_EQ(record.temperature, rig.state.temperature);
    EXPECT_EQ(record.humidity, rig.state.humidity);
    EXPECT_EQ(record.pressure, c.hPa);
    EXPECT_EQ(record.dewPoint, rig.state.dewPoint);
  }
}

TEST(Ptu, DewPointAndHumidityAtOrBelowZero) {
  DecoderRig rig;
  auto& s = rig.state;
  s.pressureSource = 1;
  s.pressure = 500;
  // Th = T + 5 makes the temperature factor 1; the reference then sets the humidity to 100 %.
  SetFlatCoefficients(s, 20, 25);
  const double h = 124.240395 - 0.257403404 * 25 + 0.005621241 * 625;
  s.humidityReference = 40 + (h - 100) / 20;
  Convert(rig, Readings{});
  EXPECT_NEAR(s.humidity, 100, 1e-9);
  EXPECT_NEAR(s.dewPoint, 20 * (1 + 1 / 240.97), 1e-9);
  EXPECT_EQ(rig.view.Text(ReadOut::Humidity), "100.0 %");
  EXPECT_EQ(rig.view.Text(ReadOut::DewPoint), "20.1 °C");

  // Below zero: "0.0 %", an empty dew point, and the frame still counts as converted.
  s.humidityReference = 40 + (h + 3) / 20;
  const double lastDewPoint = s.dewPoint;
  const FrameRecord record = Convert(rig, Readings{});
  EXPECT_NEAR(s.humidity, -3, 1e-9);
  EXPECT_EQ(s.dewPoint, lastDewPoint);
  EXPECT_EQ(rig.view.Text(ReadOut::Humidity), "0.0 %");
  EXPECT_EQ(rig.view.Text(ReadOut::DewPoint), "");
  EXPECT_EQ(record.ptuValid, 1);
  EXPECT_NEAR(record.humidity, -3, 1e-9);
  EXPECT_EQ(record.dewPoint, 0);  // none computed in this frame
}

TEST(Ptu, FreezingLevelKeepsTheTemperatureClosestToZero) {
  DecoderRig rig;
  auto& s = rig.state;
  SetFlatCoefficients(s, 0, 0);
  const auto frameAt = [&](double celsius, double altitude, bool position) {
    s.tempC0 = 273.15 + celsius;
    s.altitude = altitude;
    Convert(rig, Readings{}, position);
  };
  frameAt(-0.2, 3456.78, true);
  EXPECT_EQ(rig.view.StatusPanel(2, 3), "Best ISO 0° (-0.2°C): 3456.8m");
  frameAt(0.5, 3300, true);   // farther from zero
  frameAt(0.1, 3200, false);  // closer, but no position in this frame
  EXPECT_EQ(rig.view.StatusPanel(2, 3), "Best ISO 0° (-0.2°C): 3456.8m");
  EXPECT_EQ(s.bestIsoAltitude, 3456.78);
  frameAt(0.1, 3100, true);
  EXPECT_EQ(rig.view.StatusPanel(2, 3), "Best ISO 0° (0.1°C): 3100.0m");
  EXPECT_NEAR(s.bestIsoTemperature, 0.1, 1e-9);
}

TEST(Ptu, Rs41SgNeedsAPositionWithSatellitesForHumidity) {
  DecoderRig rig;
  auto& s = rig.state;
  s.sondeId = FrameSpec{}.sondeId;  // the frames' sonde is already known
  s.pressureSource = 1;
  s.pressure = 700;
  SetFlatCoefficients(s, -5, -5);
  rig.Decode(PtuFrame(Readings{}, 0));
  EXPECT_TRUE(s.ptuValid);
  EXPECT_EQ(rig.view.Text(ReadOut::Temperature), "-5.0 °C");
  EXPECT_EQ(rig.view.Text(ReadOut::Humidity), "");
  EXPECT_EQ(rig.view.Text(ReadOut::DewPoint), "");
  EXPECT_EQ(s.humidity, 0);

  // Without a known type there is no pressure to weigh the humidity with.
  s.pressureSource = -1;
  EXPECT_EQ(Convert(rig, Readings{}).ptuValid, 0);
  s.pressureSource = 1;
  EXPECT_EQ(Convert(rig, Readings{}).ptuValid, 1);
  EXPECT_NE(rig.view.Text(ReadOut::Humidity), "");
}

TEST(Ptu, UnusableReadingsAreSkippedForTheFrame) {
  struct Case {
    const char* name;
    void (*spoil)(Readings&, SondeState&);
    bool temperature;  // still converted
    bool pressure;
  };
  const Case cases[] = {
      {"air r1 = r2", [](Readings& r, SondeState&) { r.air = kEqualReferences; }, false, true},
      {"capacitance r1 = r2", [](Readings& r, SondeState&) { r.capacitance = kEqualReferences; },
       true, true},
      {"sensor temperature r1 = r2",
       [](Readings& r, SondeState&) { r.humidityTemperature = kEqualReferences; }, true, true},
      {"temperature NaN", [](Readings&, SondeState& s) { s.tempC0 = kNaN; }, false, true},
      {"humidity reference NaN", [](Readings&, SondeState& s) { s.humidityReference = kNaN; }, true,
       true},
      {"pressure overflow", [](Readings&, SondeState& s) { s.pressureMatrix[5][0] = 1e300; }, true,
       false},
  };
  for (const auto& c : cases) {
    DecoderRig rig;
    auto& s = rig.state;
    s.pressureSource = 2;
    s.pressureCalReady = true;
    s.pressureScale = 1e20;
    s.pressureMatrix[0][0] = 850;
    SetFlatCoefficients(s, 15, 15);
    Convert(rig, Readings{});
    const std::string humidity = rig.view.Text(ReadOut::Humidity);
    const std::string dewPoint = rig.view.Text(ReadOut::DewPoint);
    const double lastHumidity = s.humidity;
    ASSERT_EQ(rig.view.Text(ReadOut::Temperature), "15.0 °C");
    ASSERT_EQ(rig.view.Text(ReadOut::Pressure), "850.0 hPa");
    ASSERT_FALSE(humidity.empty());

    // A different temperature and pressure, so that an update would show.
    Readings r;
    r.air = At(0.25);
    s.tempC1 = 4;
    s.pressureMatrix[0][0] = 900;
    c.spoil(r, s);
    const FrameRecord record = Convert(rig, r);
    EXPECT_EQ(record.ptuValid, 0) << c.name;
    EXPECT_EQ(rig.view.Text(ReadOut::Humidity), humidity) << c.name;
    EXPECT_EQ(rig.view.Text(ReadOut::DewPoint), dewPoint) << c.name;
    EXPECT_EQ(s.humidity, lastHumidity) << c.name;
    EXPECT_EQ(rig.view.Text(ReadOut::Temperature), c.temperature ? "16.0 °C" : "15.0 °C") << c.name;
    EXPECT_EQ(rig.view.Text(ReadOut::Pressure), c.pressure ? "900.0 hPa" : "850.0 hPa") << c.name;
    EXPECT_TRUE(std::isfinite(s.temperature) && std::isfinite(s.pressure)) << c.name;
  }
}

// The number after "key": in a flat JSON line.
std::optional<double> JsonNumber(const std::string& line, const std::string& key) {
  const auto at = line.find("\"" + key + "\":");
  if (at == std::string::npos) return std::nullopt;
  auto first = line.find_first_not_of(' ', at + key.size() + 3);
  if (first == std::string::npos) return std::nullopt;
  double value = 0;
  const auto [end, ec] = std::from_chars(line.data() + first, line.data() + line.size(), value);
  if (ec != std::errc{} || end == line.data() + first) return std::nullopt;
  return value;
}

std::optional<std::vector<std::uint8_t>> HexBytes(const std::string& line) {
  const std::string hex = line.substr(0, line.find(' '));
  if (hex.size() < 2 * 320 || hex.size() % 2 != 0) return std::nullopt;
  std::vector<std::uint8_t> bytes(hex.size() / 2);
  for (std::size_t k = 0; k < bytes.size(); ++k) {
    const auto [end, ec] =
        std::from_chars(hex.data() + 2 * k, hex.data() + 2 * k + 2, bytes[k], 16);
    if (ec != std::errc{} || end != hex.data() + 2 * k + 2) return std::nullopt;
  }
  return bytes;
}

struct Deviation {
  int count = 0;
  double maxAbs = 0;
  double sumAbs = 0;
  double sum = 0;
  void Add(double ours, double reference) {
    const double d = ours - reference;
    ++count;
    maxAbs = std::max(maxAbs, std::fabs(d));
    sumAbs += std::fabs(d);
    sum += d;
  }
  double MeanAbs() const { return count > 0 ? sumAbs / count : 0; }
  double Mean() const { return count > 0 ? sum / count : 0; }
  std::string Text() const {
    return "n=" + std::to_string(count) + " maxAbs=" + FormatFixed(maxAbs, 3) +
           " meanAbs=" + FormatFixed(MeanAbs(), 3) + " meanSigned=" + FormatFixed(Mean(), 3);
  }
};

// An RS41-SGP descent (8 100 m to 600 m) with a reference decoder's values after every frame.
// This program's humidity model and temperature polynomial are its own, so they are compared
// within what they were seen to differ by; the sensor pressure must match.
TEST(PtuRealData, Rs41SgpDescentAgainstTheReferenceDecoder) {
  const std::filesystem::path path = std::filesystem::path(WINDLARK_SHARED_DATA) /
                                     "papasven_rs41_raw_data_reader/V5230820_raw_frames_reset.log";
  if (!std::filesystem::exists(path)) GTEST_SKIP() << "real data absent: " << path;
  std::ifstream in(path);
  ASSERT_TRUE(in);

  DecoderRig rig;
  const SondeState& s = rig.state;
  struct Decoded {
    unsigned frame = 0;
    std::optional<double> temperature, pressure, humidity;
  };
  std::optional<Decoded> pending;
  Deviation temperature, pressure, humidity;
  int outOfRange = 0;
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty()) continue;
    if (line.front() != '{') {
      const auto bytes = HexBytes(line);
      ASSERT_TRUE(bytes) << line.substr(0, 40);
      const FrameChecks checks = rig.Decode(test::ToRawFrame(*bytes));
      pending.reset();
      if (!checks.status || !checks.ptu) continue;
      Decoded d;
      d.frame = s.frameNumber;
      if (s.temperatureCalReady) d.temperature = s.temperature;
      if (s.pressureSource == 2 && s.pressureCalReady) d.pressure = s.pressure;
      if (s.pressureSource == 2 && s.temperatureCalReady && s.humidityCalReady &&
          s.pressureCalReady) {
        d.humidity = s.humidity;
      }
      pending = d;
      continue;
    }
    // The reference line follows its frame.
    const auto frame = JsonNumber(line, "frame");
    if (!pending || !frame || static_cast<unsigned>(*frame) != pending->frame) continue;
    const auto refT = JsonNumber(line, "temp");
    const auto refP = JsonNumber(line, "pressure");
    const auto refH = JsonNumber(line, "humidity");
    if (pending->temperature && refT) {
      EXPECT_TRUE(std::isfinite(*pending->temperature));
      temperature.Add(*pending->temperature, *refT);
      if (*pending->temperature < -45 || *pending->temperature > 25) ++outOfRange;
    }
    if (pending->pressure && refP) {
      EXPECT_TRUE(std::isfinite(*pending->pressure));
      pressure.Add(*pending->pressure, *refP);
      if (*pending->pressure < 300 || *pending->pressure > 1050) ++outOfRange;
    }
    if (pending->humidity && refH) {
      EXPECT_TRUE(std::isfinite(*pending->humidity));
      humidity.Add(*pending->humidity, *refH);
      if (*pending->humidity < -20 || *pending->humidity > 130) ++outOfRange;
    }
    pending.reset();
  }

  std::cout << "[ PTU vs reference ] temperature °C: " << temperature.Text() << '\n'
            << "[ PTU vs reference ] pressure hPa:   " << pressure.Text() << '\n'
            << "[ PTU vs reference ] humidity %:     " << humidity.Text() << '\n';
  RecordProperty("temperature", temperature.Text());
  RecordProperty("pressure", pressure.Text());
  RecordProperty("humidity", humidity.Text());

  EXPECT_EQ(s.sondeType, "RS41-SGP");
  EXPECT_GT(temperature.count, 600);
  EXPECT_GT(pressure.count, 600);
  EXPECT_GT(humidity.count, 600);
  EXPECT_EQ(outOfRange, 0);
  // The reference rounds temperature to 0.1 °C and pressure to 0.01 hPa. The temperature
  // polynomial runs up to about 0.05 °C warm of the reference decoder, the pressure matches it,
  // and the humidity model reads up to about 4 % higher in dry air.
  EXPECT_LT(temperature.maxAbs, 0.15);
  EXPECT_LT(temperature.MeanAbs(), 0.06);
  EXPECT_LT(pressure.maxAbs, 0.01);
  EXPECT_LT(humidity.maxAbs, 6);
  EXPECT_LT(humidity.MeanAbs(), 2.5);
}

}  // namespace
}  // namespace windlark
