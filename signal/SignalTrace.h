#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "base/TelemetryView.h"

// Geometry of the input signal monitor's oscilloscope trace: one pixel per sample, sample value s
// drawn at y = 260 - s, starting at the slicer's lock position.
namespace windlark {

inline constexpr int kMonitorBitmapWidth = 500;
inline constexpr int kMonitorImageWidth = 400;  // the window shows the bitmap's left part
inline constexpr int kMonitorHeight = 266;
inline constexpr int kTraceSamples = 401;  // x = 0 .. 400
inline constexpr int kTraceBaseY = 260;    // the level of sample 0
inline constexpr int kGuideLineEndX = 400;

inline constexpr Rgb kMonitorBackground{240, 240, 240};
inline constexpr Rgb kMonitorLimitColour{128, 16, 16};  // the levels of samples 255 and 0
inline constexpr Rgb kMonitorGridColour{16, 16, 128};
inline constexpr Rgb kMonitorTraceColour{0, 0, 255};
inline constexpr int kMonitorTraceWidth = 2;

inline constexpr std::array<int, 2> kMonitorLimitLinesY{5, 260};
inline constexpr std::array<int, 3> kMonitorGridLinesY{64, 133, 192};

struct TracePoint {
  int x = 0;
  int y = 0;
  friend bool operator==(const TracePoint&, const TracePoint&) = default;
};

constexpr int TraceY(std::uint8_t sample) {
  return kTraceBaseY - sample;
}

// The trace's points from sample `start` on, one per pixel column 0 .. 400. Samples whose index
// lies outside the buffer are left out, so a start near either end gives a shorter trace; the
// points that remain are consecutive columns, drawn as one polyline.
std::vector<TracePoint> TracePoints(std::span<const std::uint8_t> samples, int start);

}  // namespace windlark
