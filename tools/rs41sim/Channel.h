#pragma once

#include <complex>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace rs41sim {

struct ChannelParams {
  bool radio = false;     // pass the signal through the radio channel at all
  bool noise = false;     // add noise at ebn0Db
  double ebn0Db = 100.0;  // Eb/N0 of the complex noise in the receiver's IF
  double deviationHz = 2400.0;
  double carrierOffsetHz = 0.0;
  double ifBandwidthHz = 12000.0;
  double audioLowpassHz = 0.0;  // 0: none
  double clockPpm = 0.0;        // the sonde's bit clock, fast by this much
};

// The radio path between the sonde and the discriminator output: the Gaussian-filtered
// frequency (1 = +deviation) becomes a complex baseband FM signal with a carrier offset,
// complex Gaussian noise is added (Eb/N0 from unit signal power and the bit period), a
// 12 kHz IF filter limits it, an FM discriminator turns it back into frequency, optionally a
// single-pole audio low-pass follows. Output is in the same units as the input; one sample out
// per sample in, with the IF filter's delay.
class RadioChannel {
 public:
  RadioChannel(const ChannelParams& params, double sampleRate, double samplesPerBit,
               std::uint64_t seed);

  double Process(double frequency);

 private:
  double Gaussian();

  ChannelParams m_params;
  double m_sampleRate;
  double m_noiseSigma = 0.0;  // per real component
  double m_phase = 0.0;
  std::vector<double> m_taps;
  std::vector<std::complex<double>> m_ring;
  std::size_t m_head = 0;
  std::complex<double> m_last{1.0, 0.0};
  double m_lowpassState = 0.0;
  double m_lowpassAlpha = 1.0;
  std::uint64_t m_state;
  bool m_haveSpare = false;
  double m_spare = 0.0;
};

}  // namespace rs41sim
