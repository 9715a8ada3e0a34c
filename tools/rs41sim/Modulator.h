#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <random>
#include <span>
#include <vector>

#include "Channel.h"

namespace rs41sim {

inline constexpr std::size_t kSampleRate = 48000;
inline constexpr std::size_t kBitRate = 4800;
inline constexpr std::size_t kSamplesPerBit = kSampleRate / kBitRate;  // 10
inline constexpr std::size_t kSlotSamples = kSampleRate;               // one frame per second

struct ModulatorParams {
  double bt = 0.5;
  double amplitude = 60.0;
  int dcOffset = 0;
  double noiseSigma = 0.0;
  std::uint64_t seed = 41;
  bool invert = false;
  std::size_t preambleBits = 320;
  ChannelParams channel;
};

// Turns frames into 8-bit discriminator audio: NRZ at 10 samples/bit through a Gaussian
// filter, scaled around mid level 128. Samples are appended to a caller-supplied buffer;
// the filter delay means output lags input by a few samples until Finish().
class GfskModulator {
 public:
  explicit GfskModulator(const ModulatorParams& params);

  // Idle (unmodulated) samples.
  void Idle(std::size_t samples, std::vector<std::uint8_t>& out);

  // One 48 000-sample slot: alternating preamble, the already whitened frame LSB first, then
  // idle up to the slot end. Returns false if preamble plus frame exceed the slot.
  bool Slot(std::span<const std::uint8_t> whitenedFrame, std::vector<std::uint8_t>& out);

  // Flushes the filter tail.
  void Finish(std::vector<std::uint8_t>& out);

  static std::size_t SlotBits(std::size_t preambleBits, std::size_t frameBytes) {
    return preambleBits + 8 * frameBytes;
  }

 private:
  void Push(double nrz, std::vector<std::uint8_t>& out);
  std::uint8_t Quantize(double filtered);
  double Gaussian();

  ModulatorParams m_params;
  std::vector<double> m_taps;     // odd length, centred, sum 1
  std::vector<double> m_history;  // ring of the last m_taps.size() inputs
  std::size_t m_head = 0;
  std::size_t m_pushed = 0;
  std::optional<RadioChannel> m_channel;
  std::mt19937_64 m_rng;
  bool m_haveSpare = false;
  double m_spare = 0.0;
};

}  // namespace rs41sim
