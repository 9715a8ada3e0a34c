#include "app/ui/Charts.h"

#include <gtest/gtest.h>

#include "app/StuveGeometry.h"
#include "decoder/TelemetryLog.h"

namespace windlark {
namespace {

constexpr QRgb kWhite = 0xFFFFFFFF;
constexpr QRgb kBlack = 0xFF000000;
constexpr QRgb kBlue = 0xFF0000FF;
constexpr QRgb kAdiabat = 0xFFE39F75;

QRgb Pixel(const QImage& image, ChartPoint point) {
  return image.pixel(point.x, point.y) | 0xFF000000;
}

TelemetryPoint Entry(double pressure, double temperature, double dewPoint) {
  TelemetryPoint entry;
  entry.frame.ptuValid = 1;
  entry.frame.numSatellites = 9;
  entry.frame.pressure = pressure;
  entry.frame.temperature = temperature;
  entry.frame.dewPoint = dewPoint;
  return entry;
}

ChartPoint PixelOf(double t, double p) {
  const ChartPoint point = ChartPosition(t, p);
  return {point.x - 1, point.y - 1};
}

TEST(DiagramsWindow, BackgroundLayers) {
  TForm11 form;
  EXPECT_EQ(form.windowTitle(), "Diagrams ");
  EXPECT_EQ(form.size(), QSize(660, 643));
  const QImage& chart = form.Chart();
  ASSERT_EQ(chart.size(), QSize(660, 643));

  // Isobars and isotherms are black lines across the plot area.
  for (double p : kIsobars) EXPECT_EQ(Pixel(chart, {300, ChartPosition(0, p).y}), kBlack) << p;
  for (double t : IsothermTemperatures())
    EXPECT_EQ(Pixel(chart, {ChartPosition(t, 1000).x, 320}), kBlack) << t;

  // The adiabats stay inside the plot area; the mixing-ratio lines and labels do not.
  int adiabatInside = 0;
  int mixingAbove = 0;
  for (int y = 0; y < chart.height(); ++y) {
    for (int x = 0; x < chart.width(); ++x) {
      const QRgb pixel = Pixel(chart, {x, y});
      const bool inside = x >= kPlotLeft && x < kPlotRight && y >= kPlotTop && y < kPlotBottom;
      if (pixel == kAdiabat) {
        ASSERT_TRUE(inside) << x << "," << y;
        ++adiabatInside;
      }
      // Label text (smoothed) in the line colour above the plot area, left of the caption.
      if (y < kPlotTop && x < 400 && pixel != kWhite && qBlue(pixel) > qRed(pixel) + 40)
        ++mixingAbove;
    }
  }
  EXPECT_GT(adiabatInside, 2000);
  EXPECT_GT(mixingAbove, 50);
  // The corner of the chart outside every layer stays white.
  EXPECT_EQ(Pixel(chart, {655, 5}), kWhite);

  // The mixing-ratio labels follow the separator the window is given; nothing else changes.
  const QImage withPoint = chart.copy();
  form.SetDecimalSeparator(',');
  form.DrawChart();
  const QImage withComma = form.Chart();
  EXPECT_NE(withPoint, withComma);
  EXPECT_EQ(withPoint.copy(0, 15, 660, 628), withComma.copy(0, 15, 660, 628));
}

TEST(DiagramsWindow, PlotsQualifyingEntriesAndClearsForANewSonde) {
  TForm11 form;
  const QImage background = form.Chart().copy();

  form.PlotPoint(Entry(500, -20, -31));
  EXPECT_EQ(Pixel(form.Chart(), PixelOf(-20, 500)), kBlack);
  EXPECT_EQ(Pixel(form.Chart(), PixelOf(-31, 500)), kBlue);

  QImage before = form.Chart().copy();
  form.PlotPoint(Entry(300, -45, -100));  // dew point at the limit: temperature only
  EXPECT_EQ(Pixel(form.Chart(), PixelOf(-45, 300)), kBlack);
  EXPECT_EQ(Pixel(form.Chart(), PixelOf(-100, 300)), Pixel(before, PixelOf(-100, 300)));

  before = form.Chart().copy();
  TelemetryPoint noFix = Entry(400, -30, -40);
  noFix.frame.numSatellites = 0;
  TelemetryPoint noPtu = Entry(400, -30, -40);
  noPtu.frame.ptuValid = 0;
  form.PlotPoint(Entry(5, -60, -70));
  form.PlotPoint(noFix);
  form.PlotPoint(noPtu);
  form.PlotPoint(Entry(1e300, 1e300, -1e300));  // nowhere on the chart
  EXPECT_EQ(form.Chart(), before);

  form.DrawChart();
  EXPECT_EQ(form.Chart(), background);
}

TEST(DiagramsWindow, ShowingRedrawsFromTheLog) {
  TelemetryLog log;
  log.Append(Entry(850, 5, 1));
  log.Append(Entry(700, -4, -9));
  TForm11 form;
  form.OpenDiagrams(log);
  ASSERT_TRUE(form.isVisible());
  EXPECT_EQ(Pixel(form.Chart(), PixelOf(5, 850)), kBlack);
  EXPECT_EQ(Pixel(form.Chart(), PixelOf(-9, 700)), kBlue);

  // A new sonde leaves the background; hiding and showing again brings the log back.
  form.DrawChart();
  EXPECT_NE(Pixel(form.Chart(), PixelOf(5, 850)), kBlack);
  form.hide();
  form.OpenDiagrams(log);
  EXPECT_EQ(Pixel(form.Chart(), PixelOf(5, 850)), kBlack);

  // The window shows the chart as drawn.
  EXPECT_EQ(form.grab().toImage().convertToFormat(QImage::Format_RGB32), form.Chart());
}

}  // namespace
}  // namespace windlark
