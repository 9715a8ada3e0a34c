#pragma once

#include <atomic>
#include <cstdint>
#include <span>

#include "base/LampBank.h"
#include "base/TelemetryView.h"
#include "signal/Demodulator.h"
#include "signal/FrameSynchroniser.h"

namespace windlark {

inline constexpr int kSamplesPerBuffer = 24000;
inline constexpr int kSamplesPerBit = 10;

enum class SlicerMode : std::int32_t {
  Hunting = 0,
  Locked = 1,  // clock taken from the preamble, searching the frame header
  InFrame = 2
};

struct SlicerState {
  SlicerMode state = SlicerMode::Hunting;
  std::uint8_t previousBit = 0;
  std::int32_t runLength = 0;
  std::int32_t transitions = 0;
  std::int32_t samplePos = 0;  // where the next bit is taken, modulo the buffer length
  std::int32_t phaseSum = 0;
  std::int32_t phaseShown = 0;  // for the signal monitor: 0, or the sampling position of a lock
};

// Removes the DC offset, recovers the bit clock from the preamble and samples one bit every
// ten samples into the frame synchroniser.
class BitSlicer : public Demodulator {
 public:
  BitSlicer(FrameSynchroniser& sync, LampBank& lamps, TelemetryView& view,
            std::atomic<std::int32_t>& lockCount);

  // One buffer of kSamplesPerBuffer unsigned 8-bit samples (128 = zero level).
  void SliceBuffer(std::span<const std::uint8_t> buffer) override;
  void ResetToHunting() override;
  // On opening the input: hunting, and the bit polarity back to normal.
  void ResetDemodulator() override;

  // The "Adjust" check box.
  void SetAdjust(bool adjust) override { m_adjust = adjust; }
  bool Adjust() const override { return m_adjust; }
  std::int32_t PhaseShown() const override { return m_state.phaseShown; }
  const SlicerState& State() const { return m_state; }

 private:
  void Hunt(int& i, bool bit);

  FrameSynchroniser& m_sync;
  LampBank& m_lamps;
  TelemetryView& m_view;
  std::atomic<std::int32_t>& m_lockCount;
  SlicerState m_state;
  bool m_adjust = true;
};

}  // namespace windlark
