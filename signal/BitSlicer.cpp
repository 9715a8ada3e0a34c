#include "signal/BitSlicer.h"

#include "base/Format.h"

namespace windlark {

namespace {

constexpr int kMinRun = 5;
constexpr int kMaxRun = 15;
constexpr int kLockTransitions = 50;
// Fifty deviations are summed but the average divides by 49; the lock position depends on it.
constexpr int kPhaseDivisor = 49;
constexpr int kThreshold = 128;

}  // namespace

BitSlicer::BitSlicer(FrameSynchroniser& sync, LampBank& lamps, TelemetryView& view,
                     std::atomic<std::int32_t>& lockCount)
    : m_sync(sync), m_lamps(lamps), m_view(view), m_lockCount(lockCount) {}

void BitSlicer::ResetToHunting() {
  m_state.transitions = 0;
  m_state.state = SlicerMode::Hunting;
  m_sync.Reset();
}

void BitSlicer::ResetDemodulator() {
  ResetToHunting();
  m_sync.SetPolarity(0);
}

void BitSlicer::SliceBuffer(std::span<const std::uint8_t> buffer) {
  if (buffer.size() != static_cast<std::size_t>(kSamplesPerBuffer)) return;
  m_state.phaseShown = 0;

  int offset = 0;
  if (m_adjust) {
    long sum = 0;
    for (std::uint8_t sample : buffer) sum += sample;
    const double mean = static_cast<double>(sum) / kSamplesPerBuffer - 128.0;
    m_view.SetText(ReadOut::AvrLevel, FormatWidth(mean, 5, 2));
    offset = static_cast<int>(RoundHalfEven(mean));
  }
  const auto slice = [&](int index) {
    return buffer[static_cast<std::size_t>(index)] - offset > kThreshold;
  };

  int i = 0;
  while (i < kSamplesPerBuffer) {
    const bool bit = slice(i);
    if (m_state.state == SlicerMode::Hunting) {
      Hunt(i, bit);
      m_state.previousBit = bit ? 1 : 0;
      ++i;
    } else if (m_state.samplePos < kSamplesPerBuffer) {
      const SyncResult result =
          m_sync.PushBit(slice(m_state.samplePos) ? 1 : 0, m_state.state == SlicerMode::InFrame);
      if (result == SyncResult::InFrame) m_state.state = SlicerMode::InFrame;
      if (result == SyncResult::Hunt) ResetToHunting();
      m_state.samplePos += kSamplesPerBit;
      i = m_state.samplePos;
    } else {
      // The sampling position ran past the end of the previous buffer.
      m_state.samplePos %= kSamplesPerBuffer;
      i = m_state.samplePos;
    }
  }
}

void BitSlicer::Hunt(int& i, bool bit) {
  if ((bit ? 1 : 0) == m_state.previousBit) {
    ++m_state.runLength;
    return;
  }
  if (m_state.runLength >= kMinRun && m_state.runLength <= kMaxRun) {
    ++m_state.transitions;
    const int centre = i - m_state.runLength / 2;  // may be slightly negative across buffers
    if (m_state.transitions == 1) {
      m_state.samplePos =
          ((centre + kSamplesPerBit) % kSamplesPerBuffer + kSamplesPerBuffer) % kSamplesPerBuffer;
      m_state.phaseSum = 0;
    } else {
      int d = centre - m_state.samplePos;
      if (d > kSamplesPerBuffer / 2) d -= kSamplesPerBuffer;
      if (d < -kSamplesPerBuffer / 2) d += kSamplesPerBuffer;
      m_state.phaseSum += d;
      m_state.samplePos = (m_state.samplePos + kSamplesPerBit) % kSamplesPerBuffer;
    }
    if (m_state.transitions > kLockTransitions) {
      ++m_lockCount;
      m_lamps.LightLamp(Lamp::Preamble);
      m_state.state = SlicerMode::Locked;
      m_state.samplePos += m_state.phaseSum / kPhaseDivisor;
      m_state.phaseShown = m_state.samplePos;
      if (m_state.samplePos < 0) m_state.samplePos += kSamplesPerBuffer;
      m_state.samplePos %= kSamplesPerBuffer;
      // Behind us already: skip the rest and resume at that position in the next buffer.
      if (m_state.samplePos < i) i = kSamplesPerBuffer;
    }
  } else {
    ResetToHunting();
  }
  m_state.runLength = 1;
}

}  // namespace windlark
