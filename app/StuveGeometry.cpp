#include "app/StuveGeometry.h"

#include <algorithm>
#include <cmath>

#include "base/Format.h"

namespace windlark {

namespace {

constexpr double kXScale = (kChartWidth - 55) / (kChartTMax - kChartTMin);
const double kYScale = (kChartHeight - 45) / (1 - std::pow(kChartPTop / 1000, kStuveExponent));
// Far outside the chart but safely inside int; drawing clips there.
constexpr double kPixelLimit = 100000;

int Pixel(double value) {
  if (std::isnan(value)) return static_cast<int>(-kPixelLimit);
  return static_cast<int>(RoundHalfEven(std::clamp(value, -kPixelLimit, kPixelLimit)));
}

std::vector<double> Steps(double first, double last, double step) {
  std::vector<double> values;
  for (double value = first; value <= last; value += step) values.push_back(value);
  return values;
}

}  // namespace

ChartPoint ChartPosition(double temperature, double pressure) {
  const int x = Pixel((temperature - kChartTMin) * kXScale) + kPlotLeft;
  const int y =
      kChartHeight - Pixel((1 - std::pow(pressure / 1000, kStuveExponent)) * kYScale) - 30;
  return {x, y};
}

std::vector<ChartPoint> DryAdiabat(double thetaCelsius) {
  std::vector<ChartPoint> points;
  for (int t = -100; t <= 40; ++t) {
    const double p = 1000 * std::pow((t + 273.15) / (thetaCelsius + 273.15), 3.5);
    points.push_back(ChartPosition(t, p));
  }
  return points;
}

std::vector<ChartPoint> SaturatedAdiabat(double startCelsius) {
  double t = startCelsius;
  double p = 1000;
  std::vector<ChartPoint> points{ChartPosition(t, p)};
  while (p >= 10 && t >= -100) {
    const double tk = t + 273.15;
    const double kpa = p / 10;
    const double es = 0.611 * std::exp(5423 * (1 / 273.15 - 1 / tk));
    const double ws = 0.622 * es / (kpa - es);
    const double dT = (0.28571 * tk + 2488.4 * ws) / (kpa * (1 + 13500000 * ws / (tk * tk)));
    t -= dT * 5 / 10;
    p -= 5;
    points.push_back(ChartPosition(t, p));
  }
  return points;
}

std::vector<ChartPoint> MixingRatioLine(double gramsPerKilogram) {
  const double r = gramsPerKilogram / 1000;
  std::vector<ChartPoint> points;
  for (int p = 1000; p >= 10; p -= 10) {
    const double t = 1 / (1.0 / 273 - 0.0001844 * std::log(p * r / ((r + 0.622) * 6.11))) - 273;
    points.push_back(ChartPosition(t, p));
  }
  return points;
}

std::vector<double> DryAdiabatThetas() {
  return Steps(-80, 180, 20);
}

std::vector<double> SaturatedAdiabatStarts() {
  return Steps(-60, 90, 10);
}

std::vector<double> IsothermTemperatures() {
  return Steps(-100, 40, 10);
}

std::string MixingRatioLabel(double gramsPerKilogram, char decimalSeparator) {
  std::string text = FormatShortest(gramsPerKilogram);
  std::replace(text.begin(), text.end(), '.', decimalSeparator);
  return text;
}

SoundingPixels SoundingPixelsOf(const FrameRecord& frame) {
  SoundingPixels pixels;
  if (frame.ptuValid != 1 || frame.numSatellites == 0 || !(frame.pressure > 10)) return pixels;
  const auto at = [&](double value) {
    const ChartPoint point = ChartPosition(value, frame.pressure);
    return ChartPoint{point.x - 1, point.y - 1};
  };
  if (frame.temperature > -100) pixels.temperature = at(frame.temperature);
  if (frame.dewPoint > -100) pixels.dewPoint = at(frame.dewPoint);
  return pixels;
}

}  // namespace windlark
