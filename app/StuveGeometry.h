#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "decoder/SondeState.h"

// The Stüve diagram: temperature on a linear horizontal axis, pressure on a vertical axis linear
// in p^0.28571, on a fixed 660 x 643 pixel chart.
namespace windlark {

inline constexpr int kChartWidth = 660;
inline constexpr int kChartHeight = 643;
inline constexpr int kPlotLeft = 35;
inline constexpr int kPlotTop = 15;
inline constexpr int kPlotRight = kChartWidth - 20;    // 640
inline constexpr int kPlotBottom = kChartHeight - 30;  // 613
inline constexpr double kChartTMin = -100;             // °C
inline constexpr double kChartTMax = 40;               // °C
inline constexpr double kChartPTop = 10;               // hPa
inline constexpr double kChartPBottom = 1000;          // hPa
inline constexpr double kStuveExponent = 0.28571;

struct ChartPoint {
  int x = 0;
  int y = 0;
  friend bool operator==(const ChartPoint&, const ChartPoint&) = default;
};

// Temperature (°C) and pressure (hPa) to chart pixels; 1000 hPa is the plot area's bottom edge,
// 10 hPa its top, -100 °C its left and 40 °C its right edge. Values far off the chart (or not
// finite) are pinned well outside it, so they never wrap into view.
ChartPoint ChartPosition(double temperature, double pressure);

inline constexpr std::array<double, 16> kIsobars{10,  20,  30,  50,  70,  100, 150, 200,
                                                 250, 300, 400, 500, 700, 850, 925, 1000};
inline constexpr std::array<double, 12> kMixingRatios{0.01, 0.02, 0.05, 0.1, 0.2, 0.5,
                                                      1,    2,    5,    10,  20,  50};  // g/kg

// The background curves, as polylines in chart pixels.
std::vector<ChartPoint> DryAdiabat(double thetaCelsius);
std::vector<ChartPoint> SaturatedAdiabat(double startCelsius);
std::vector<ChartPoint> MixingRatioLine(double gramsPerKilogram);

std::vector<double> DryAdiabatThetas();        // -80 .. 180 °C in steps of 20
std::vector<double> SaturatedAdiabatStarts();  // -60 .. 90 °C in steps of 10
std::vector<double> IsothermTemperatures();    // -100 .. 40 °C in steps of 10

// A mixing ratio's label: its shortest decimal form with the given separator ("0.01", "10").
std::string MixingRatioLabel(double gramsPerKilogram, char decimalSeparator);

// The pixels a log entry paints: the temperature (black) and the dew point (blue), each at
// (x - 1, y - 1) of its chart position. Only entries with valid PTU, satellites and a pressure
// above 10 hPa plot; a value of -100 °C or below is left out.
struct SoundingPixels {
  std::optional<ChartPoint> temperature;
  std::optional<ChartPoint> dewPoint;
};
SoundingPixels SoundingPixelsOf(const FrameRecord& frame);

}  // namespace windlark
