#include "app/StuveGeometry.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace windlark {
namespace {

TEST(StuveGeometry, ChartCornersAndAxes) {
  EXPECT_EQ(ChartPosition(-100, 1000), (ChartPoint{35, 613}));
  EXPECT_EQ(ChartPosition(40, 10), (ChartPoint{640, 15}));
  EXPECT_EQ(ChartPosition(-100, 10), (ChartPoint{35, 15}));
  // Linear in temperature: 10 °C is 43.2 pixels.
  EXPECT_EQ(ChartPosition(-90, 1000).x, 78);
  EXPECT_EQ(ChartPosition(0, 1000).x, 467);
  // p^0.28571: 500 hPa lies well below the middle of the plot area.
  const int y500 = ChartPosition(0, 500).y;
  EXPECT_EQ(y500, 613 - static_cast<int>(std::nearbyint((1 - std::pow(0.5, 0.28571)) * 598 /
                                                        (1 - std::pow(0.01, 0.28571)))));
  EXPECT_GT(y500, (15 + 613) / 2);
}

TEST(StuveGeometry, ValuesOffTheChartStayOffIt) {
  const double inf = std::numeric_limits<double>::infinity();
  const double nan = std::numeric_limits<double>::quiet_NaN();
  for (const auto& [t, p] : {std::pair{inf, 500.0}, std::pair{-inf, 500.0}, std::pair{nan, 500.0},
                             std::pair{0.0, nan}, std::pair{0.0, -5.0}, std::pair{0.0, 1e300}}) {
    const ChartPoint point = ChartPosition(t, p);
    EXPECT_TRUE(point.x < 0 || point.x >= kChartWidth || point.y < 0 || point.y >= kChartHeight)
        << t << " " << p;
  }
}

TEST(StuveGeometry, BackgroundCurves) {
  // 10 g/kg saturates at about 13.7 °C at 1000 hPa.
  const std::vector<ChartPoint> wet = MixingRatioLine(10);
  ASSERT_EQ(wet.size(), 100U);  // 1000 .. 10 hPa in steps of 10
  EXPECT_NEAR(wet.front().x, ChartPosition(13.74, 1000).x, 1);
  EXPECT_EQ(wet.back().y, 15);
  // A dry adiabat passes through its potential temperature at 1000 hPa.
  const std::vector<ChartPoint> dry = DryAdiabat(20);
  ASSERT_EQ(dry.size(), 141U);
  EXPECT_EQ(dry[120], ChartPosition(20, 1000));
  // A saturated adiabat starts at 1000 hPa and cools as it rises, ending just past a limit.
  const std::vector<ChartPoint> moist = SaturatedAdiabat(20);
  EXPECT_EQ(moist.front(), ChartPosition(20, 1000));
  for (std::size_t k = 1; k < moist.size(); ++k) {
    EXPECT_LE(moist[k].x, moist[k - 1].x);
    EXPECT_LE(moist[k].y, moist[k - 1].y);
  }
  EXPECT_LE(moist.size(), 200U);
  EXPECT_EQ(DryAdiabatThetas().size(), 14U);
  EXPECT_EQ(SaturatedAdiabatStarts().size(), 16U);
  EXPECT_EQ(IsothermTemperatures().size(), 15U);
}

TEST(StuveGeometry, MixingRatioLabelsFollowTheGivenSeparator) {
  EXPECT_EQ(MixingRatioLabel(0.01, '.'), "0.01");
  EXPECT_EQ(MixingRatioLabel(0.5, ','), "0,5");
  EXPECT_EQ(MixingRatioLabel(10, ','), "10");
  EXPECT_EQ(MixingRatioLabel(0.02, ','), "0,02");
}

TEST(StuveGeometry, WhichEntriesPlot) {
  FrameRecord good;
  good.ptuValid = 1;
  good.numSatellites = 7;
  good.pressure = 500;
  good.temperature = -20;
  good.dewPoint = -30;
  const ChartPoint t = ChartPosition(-20, 500);
  const ChartPoint d = ChartPosition(-30, 500);

  SoundingPixels pixels = SoundingPixelsOf(good);
  ASSERT_TRUE(pixels.temperature && pixels.dewPoint);
  EXPECT_EQ(*pixels.temperature, (ChartPoint{t.x - 1, t.y - 1}));
  EXPECT_EQ(*pixels.dewPoint, (ChartPoint{d.x - 1, d.y - 1}));

  FrameRecord dry = good;
  dry.dewPoint = -100;
  pixels = SoundingPixelsOf(dry);
  EXPECT_TRUE(pixels.temperature.has_value());
  EXPECT_FALSE(pixels.dewPoint.has_value());

  FrameRecord nothing[4] = {good, good, good, good};
  nothing[0].pressure = 5;
  nothing[1].ptuValid = 0;
  nothing[2].numSatellites = 0;
  nothing[3].pressure = 10;
  for (const FrameRecord& frame : nothing) {
    pixels = SoundingPixelsOf(frame);
    EXPECT_FALSE(pixels.temperature || pixels.dewPoint) << frame.pressure;
  }
}

}  // namespace
}  // namespace windlark
