#include "signal/SignalTrace.h"

#include <gtest/gtest.h>

#include <vector>

#include "signal/BitSlicer.h"

namespace windlark {
namespace {

// A buffer whose sample values tell their index: index mod 256.
std::vector<std::uint8_t> Ramp() {
  std::vector<std::uint8_t> samples(kSamplesPerBuffer);
  for (std::size_t i = 0; i < samples.size(); ++i) samples[i] = static_cast<std::uint8_t>(i % 256);
  return samples;
}

TEST(SignalTrace, OnePixelPerSampleFromTheStart) {
  const std::vector<std::uint8_t> samples = Ramp();
  struct Case {
    int start;
    std::size_t count;
    int firstX;
    long long firstIndex;
  };
  const Case cases[] = {
      {0, 401, 0, 0},          // no lock: samples 0 .. 400
      {1234, 401, 0, 1234},    // a lock mid-buffer
      {23800, 200, 0, 23800},  // the first point and 199 more up to the end of the buffer
      {23999, 1, 0, 23999},    // a lone point draws no line
      {24000, 0, 0, 0},        // past the end: nothing
      {-7, 394, 7, 0},         // before the start: the trace begins at sample 0
  };
  for (const Case& c : cases) {
    const std::vector<TracePoint> points = TracePoints(samples, c.start);
    ASSERT_EQ(points.size(), c.count) << c.start;
    for (std::size_t k = 0; k < points.size(); ++k) {
      const long long index = c.firstIndex + static_cast<long long>(k);
      EXPECT_EQ(points[k].x, c.firstX + static_cast<int>(k)) << c.start;
      EXPECT_EQ(points[k].y, 260 - static_cast<int>(index % 256)) << c.start << " at " << k;
    }
  }
}

TEST(SignalTrace, LevelsOfSilenceAndTheExtremes) {
  EXPECT_EQ(TraceY(128), 132);
  EXPECT_EQ(TraceY(255), 5);
  EXPECT_EQ(TraceY(0), 260);
  const std::vector<std::uint8_t> silence(kSamplesPerBuffer, 128);
  for (const TracePoint& point : TracePoints(silence, 0)) EXPECT_EQ(point.y, 132);
}

}  // namespace
}  // namespace windlark
