#pragma once

#include <cstdint>
#include <span>

namespace windlark {

// The two receive chains: the literal slicer, and the tracking one with soft decisions.
enum class DemodulatorKind { Standard, Enhanced };

// What the buffer cycle, the window and the command line drive: audio in, frames out to a
// FrameSink.
class Demodulator {
 public:
  virtual ~Demodulator() = default;
  // One buffer of kSamplesPerBuffer unsigned 8-bit samples (128 = zero level).
  virtual void SliceBuffer(std::span<const std::uint8_t> buffer) = 0;
  virtual void ResetToHunting() = 0;
  // On opening the input: hunting, and the bit polarity back to normal.
  virtual void ResetDemodulator() = 0;
  // The "Adjust" check box: remove the DC offset of the audio.
  virtual void SetAdjust(bool adjust) = 0;
  virtual bool Adjust() const = 0;
  // For the signal monitor: 0, or where in the last buffer the chain locked.
  virtual std::int32_t PhaseShown() const = 0;
};

}  // namespace windlark
