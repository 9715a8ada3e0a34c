#include "signal/ui/AudioSignalMonitor.h"

#include <gtest/gtest.h>

#include <QRect>
#include <vector>

#include "signal/SignalTrace.h"

namespace windlark {
namespace {

constexpr QRgb kBackground = 0xFFF0F0F0;
constexpr QRgb kLimit = 0xFF801010;
constexpr QRgb kGrid = 0xFF101080;
constexpr QRgb kTrace = 0xFF0000FF;

QRgb Pixel(const QImage& image, int x, int y) {
  return image.pixel(x, y) | 0xFF000000;
}

TEST(AudioSignalMonitor, SilenceIsAFlatTraceBetweenTheGuideLines) {
  TAudioSignalForm form;
  EXPECT_FALSE(form.IsVisible());
  EXPECT_EQ(form.windowTitle(), "Input Signal");
  EXPECT_EQ(form.size(), QSize(400, 266));
  EXPECT_EQ(Pixel(form.Bitmap(), 250, 100), 0xFFFFFFFFU);  // white until the first buffer

  const std::vector<std::uint8_t> silence(kSamplesPerBuffer, 128);
  form.ShowBuffer(silence);
  form.ShowPhase(0);
  const QImage& bitmap = form.Bitmap();
  for (int x = 0; x < 400; ++x) {
    ASSERT_EQ(Pixel(bitmap, x, 132), kTrace) << x;
    EXPECT_EQ(Pixel(bitmap, x, 5), kLimit) << x;
    EXPECT_EQ(Pixel(bitmap, x, 260), kLimit) << x;
    EXPECT_EQ(Pixel(bitmap, x, 64), kGrid) << x;
    EXPECT_EQ(Pixel(bitmap, x, 192), kGrid) << x;
    EXPECT_EQ(Pixel(bitmap, x, 100), kBackground) << x;
    EXPECT_NE(Pixel(bitmap, x, 129), kTrace) << x;
    EXPECT_NE(Pixel(bitmap, x, 135), kTrace) << x;
  }
  // Nothing beyond the 400 columns the window shows, besides the end of the trace.
  for (int x = 403; x < 500; ++x) EXPECT_EQ(Pixel(bitmap, x, 132), kBackground) << x;

  // The window shows the bitmap's left part.
  form.show();
  const QImage shown = form.grab().toImage().convertToFormat(QImage::Format_RGB32);
  EXPECT_EQ(shown, bitmap.copy(0, 0, 400, 266));
}

TEST(AudioSignalMonitor, TraceStartsAtTheLockAndStopsAtTheEndOfTheBuffer) {
  TAudioSignalForm form;
  std::vector<std::uint8_t> samples(kSamplesPerBuffer, 128);
  for (std::size_t i = 23800; i < samples.size(); ++i) samples[i] = 200;  // y = 60
  samples[23800] = 0;                                                     // y = 260
  form.SetSamples(samples);
  form.Draw(23800);
  const QImage& bitmap = form.Bitmap();
  // From the first point at (0, 260) up to the last sample at x = 199.
  EXPECT_EQ(Pixel(bitmap, 0, 259), kTrace);
  for (int x = 2; x <= 198; ++x) ASSERT_EQ(Pixel(bitmap, x, 60), kTrace) << x;
  for (int x = 202; x < 400; ++x) ASSERT_EQ(Pixel(bitmap, x, 60), kBackground) << x;
  // Nothing of the silent part of the buffer is drawn.
  for (int x = 2; x < 400; ++x) ASSERT_NE(Pixel(bitmap, x, 132), kTrace) << x;

  form.Draw(24000);  // a lock position past the buffer: guide lines only
  for (int x = 0; x < 400; ++x) ASSERT_NE(Pixel(form.Bitmap(), x, 60), kTrace) << x;
}

TEST(AudioSignalMonitor, OpensCentredOnTheMainWindowOnce) {
  TAudioSignalForm form;
  form.OpenMonitor(QRect(100, 50, 800, 600));
  EXPECT_TRUE(form.IsVisible());
  EXPECT_EQ(form.pos(), QPoint(300, 217));
  form.hide();
  form.move(10, 10);
  form.OpenMonitor(QRect(500, 500, 800, 600));
  EXPECT_EQ(form.pos(), QPoint(10, 10));
}

}  // namespace
}  // namespace windlark
