#pragma once

#include <array>
#include <cstdint>

#include "base/RawFrame.h"

namespace windlark {

// The longest frame (with auxiliary data), as far as the enhanced chain reads it.
inline constexpr int kSoftFrameBytes = 518;

// A frame from the enhanced chain: de-whitened bytes with how sure it was of each, and what it
// measured of the signal.
struct SoftFrame {
  std::array<std::uint8_t, kSoftFrameBytes> bytes{};
  // Per byte the smallest bit decision distance, in units of the signal level (larger is surer).
  std::array<float, kSoftFrameBytes> reliability{};
  double snrDb = 0.0;           // of the bit decisions
  double fErrorHz = 0.0;        // carrier offset: the DC level against the deviation
  std::int64_t syncSample = 0;  // where the header ended in the audio, counted from its start
};

// The first kReceivedFrameSize bytes, the rest zero, as the literal chain hands them on.
RawFrame RawPart(const SoftFrame& soft);

// Receives every complete frame: decoding first, then raw capture.
class FrameSink {
 public:
  virtual ~FrameSink() = default;
  virtual void OnFrame(const RawFrame& frame) = 0;
  // A frame with soft information; without a use for it, just the bytes.
  virtual void OnSoftFrame(const SoftFrame& frame) { OnFrame(RawPart(frame)); }
};

struct FrameSync {
  std::uint8_t shiftReg = 0;  // the last eight bits, newest in bit 7
  std::int32_t bitCounter = 8;
  std::int32_t frameLen = 0;
  RawFrame frame{};
  std::uint8_t polarity = 0;  // XORed into every bit; 1 = inverted audio
};

// What the slicer must do after a bit.
enum class SyncResult {
  Continue,  // stay in the current state
  InFrame,   // sync found: the slicer goes to "in frame"
  Hunt,      // frame handed on, or a false lock: back to hunting
};

// Finds the frame start in the bit stream, assembles bytes LSB first and removes the whitening.
class FrameSynchroniser {
 public:
  explicit FrameSynchroniser(FrameSink& sink) : m_sink(sink) {}

  SyncResult PushBit(int bit, bool inFrame);
  // Cleared by the slicer's return to hunting; the polarity survives it.
  void Reset();
  void SetPolarity(std::uint8_t polarity) { m_sync.polarity = polarity; }
  const FrameSync& State() const { return m_sync; }

 private:
  FrameSink& m_sink;
  FrameSync m_sync;
};

}  // namespace windlark
