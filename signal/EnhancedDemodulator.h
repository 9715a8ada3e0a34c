#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <span>

#include "base/LampBank.h"
#include "base/TelemetryView.h"
#include "signal/Demodulator.h"
#include "signal/FrameSynchroniser.h"

namespace windlark {

// A receive chain that keeps up with a drifting, mistuned, noisy signal: a matched filter over
// the bit period, frame sync by correlation with the 64 header bits at every sample phase
// (a few bit errors allowed, the sign gives the polarity), then symbol timing, DC and level
// tracked bit by bit through the frame, and a soft value kept for every bit. Each bit is decided
// one bit late, against a threshold moved by what its neighbours spill into it.
class EnhancedDemodulator : public Demodulator {
 public:
  EnhancedDemodulator(FrameSink& sink, LampBank& lamps, TelemetryView& view,
                      std::atomic<std::int32_t>& lockCount);

  void SliceBuffer(std::span<const std::uint8_t> buffer) override;
  void ResetToHunting() override;
  void ResetDemodulator() override;
  void SetAdjust(bool adjust) override { m_adjust = adjust; }
  bool Adjust() const override { return m_adjust; }
  std::int32_t PhaseShown() const override { return m_phaseShown; }

  // Bit errors the header may have and still count as found.
  static constexpr int kMaxHeaderErrors = 10;

 private:
  enum class Mode { Hunting, Confirming, InFrame };
  static constexpr std::size_t kHistory = 2048;  // matched-filter outputs kept, a power of two
  static constexpr std::size_t kBitSamples = 10;

  void Sample(int x, int indexInBuffer);
  // Sample() for runs of samples in the two long modes; each returns where it stopped.
  int HuntRun(std::span<const std::uint8_t> buffer, int from);
  int FrameRun(std::span<const std::uint8_t> buffer, int from);
  void Hunt(float y, int indexInBuffer);
  void Lock(int indexInBuffer);
  void FrameBit();
  void Finish();
  double At(double t) const;  // matched-filter output at a fractional sample time

  FrameSink& m_sink;
  LampBank& m_lamps;
  TelemetryView& m_view;
  std::atomic<std::int32_t>& m_lockCount;
  bool m_adjust = true;
  std::int32_t m_phaseShown = 0;

  // Matched filter: a binomial low-pass (1 6 15 20 15 6 1: the discriminator's noise rises with
  // frequency, the signal has little above 3 kHz), then the sum over one bit period. A value,
  // so that the sample runs can work on a local copy the compiler keeps out of memory.
  struct Filter {
    std::array<int, 6> pre{};
    std::size_t windowAt = 0;
    int sum = 0;
    std::int64_t n = -1;    // index of the newest sample
    float dcHunt = 0.0F;    // slow average while hunting, in matched-filter units
    std::size_t phase = 0;  // which hunting register the newest sample feeds
    // Takes one sample, stores the new sum as the history's newest entry and returns it. The
    // bit-period window stays outside: indexed at run time, it would keep the copy in memory.
    [[gnu::always_inline]] int Step(int x, bool adjust, std::array<int, kBitSamples>& window,
                                    std::array<int, kHistory>& history);
  };
  Filter m_filter;
  std::array<int, kBitSamples> m_window{};
  std::array<int, kHistory> m_history{};  // whole sums: exact, and never a float alias

  Mode m_mode = Mode::Hunting;
  // Hard bits per sample phase, newest in bit 63.
  std::array<std::uint64_t, kBitSamples> m_registers{};
  std::int64_t m_candidate = 0;

  // Tracking through the frame.
  double m_next = 0.0;  // sample time of the next bit centre
  double m_period = 10.0;
  double m_dc = 0.0;
  double m_level = 1.0;  // mean decision distance
  double m_h0 = 1.0;     // a bit's own share of its matched-filter output
  double m_h1 = 0.0;     // each neighbour's
  double m_pendingY = 0.0;
  double m_pastDecision = 0.0;
  bool m_havePending = false;
  double m_previous = 0.0;
  int m_polarity = 1;
  int m_bit = 0;
  int m_frameLength = kSoftFrameBytes;
  std::uint8_t m_byte = 0;
  float m_byteReliability = 0.0F;
  std::array<double, 3> m_recent{};  // the last three bits' values, for the deviation estimate
  double m_runSum = 0.0;
  double m_runSquares = 0.0;
  double m_dcSum = 0.0;
  int m_runCount = 0;
  SoftFrame m_frame;
};

}  // namespace windlark
