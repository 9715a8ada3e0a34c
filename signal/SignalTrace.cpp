#include "signal/SignalTrace.h"

namespace windlark {

std::vector<TracePoint> TracePoints(std::span<const std::uint8_t> samples, int start) {
  std::vector<TracePoint> points;
  points.reserve(kTraceSamples);
  const auto count = static_cast<long long>(samples.size());
  for (int x = 0; x < kTraceSamples; ++x) {
    const long long index = static_cast<long long>(start) + x;
    if (index < 0 || index >= count) continue;
    points.push_back({x, TraceY(samples[static_cast<std::size_t>(index)])});
  }
  return points;
}

}  // namespace windlark
