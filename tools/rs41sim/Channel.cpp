#include "Channel.h"

#include <cmath>
#include <numbers>

namespace rs41sim {

namespace {

constexpr std::size_t kIfTaps = 63;

// Windowed-sinc low-pass for the complex IF, cut off at half the IF bandwidth.
std::vector<double> IfTaps(double bandwidthHz, double sampleRate) {
  std::vector<double> taps(kIfTaps);
  const double fc = 0.5 * bandwidthHz / sampleRate;
  const double centre = static_cast<double>(kIfTaps - 1) / 2.0;
  double sum = 0.0;
  for (std::size_t i = 0; i < kIfTaps; ++i) {
    const double t = static_cast<double>(i) - centre;
    const double sinc =
        t == 0.0 ? 2.0 * fc : std::sin(2.0 * std::numbers::pi * fc * t) / (std::numbers::pi * t);
    const double window = 0.54 - 0.46 * std::cos(2.0 * std::numbers::pi * static_cast<double>(i) /
                                                 static_cast<double>(kIfTaps - 1));
    taps[i] = sinc * window;
    sum += taps[i];
  }
  for (double& tap : taps) tap /= sum;
  return taps;
}

}  // namespace

RadioChannel::RadioChannel(const ChannelParams& params, double sampleRate, double samplesPerBit,
                           std::uint64_t seed)
    : m_params(params),
      m_sampleRate(sampleRate),
      m_taps(IfTaps(params.ifBandwidthHz, sampleRate)),
      m_ring(kIfTaps, {0.0, 0.0}),
      m_state(seed ^ 0x9E3779B97F4A7C15ULL) {
  if (params.noise) {
    // Unit signal power: Eb = samplesPerBit / fs, N0 = total complex noise variance / fs.
    const double ebn0 = std::pow(10.0, params.ebn0Db / 10.0);
    m_noiseSigma = std::sqrt(samplesPerBit / ebn0 / 2.0);
  }
  if (params.audioLowpassHz > 0.0) {
    m_lowpassAlpha = 1.0 - std::exp(-2.0 * std::numbers::pi * params.audioLowpassHz / sampleRate);
  }
}

double RadioChannel::Gaussian() {
  if (m_haveSpare) {
    m_haveSpare = false;
    return m_spare;
  }
  // splitmix64: reproducible everywhere, independent of the modulator's own generator.
  const auto next = [this] {
    std::uint64_t z = (m_state += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30U)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27U)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31U);
  };
  constexpr double kScale = 1.0 / 9007199254740992.0;
  const double u1 = (static_cast<double>(next() >> 11U) + 1.0) * kScale;
  const double u2 = static_cast<double>(next() >> 11U) * kScale;
  const double radius = std::sqrt(-2.0 * std::log(u1));
  m_spare = radius * std::sin(2.0 * std::numbers::pi * u2);
  m_haveSpare = true;
  return radius * std::cos(2.0 * std::numbers::pi * u2);
}

double RadioChannel::Process(double frequency) {
  const double hz = frequency * m_params.deviationHz + m_params.carrierOffsetHz;
  m_phase = std::fmod(m_phase + 2.0 * std::numbers::pi * hz / m_sampleRate, 2.0 * std::numbers::pi);
  std::complex<double> z = std::polar(1.0, m_phase);
  if (m_noiseSigma > 0.0)
    z += std::complex<double>(m_noiseSigma * Gaussian(), m_noiseSigma * Gaussian());
  m_ring[m_head] = z;
  m_head = (m_head + 1) % m_ring.size();
  std::complex<double> filtered{0.0, 0.0};
  for (std::size_t i = 0; i < m_taps.size(); ++i) {
    filtered += m_taps[i] * m_ring[(m_head + i) % m_ring.size()];
  }
  const double step = std::arg(filtered * std::conj(m_last));
  m_last = filtered;
  const double out = step * m_sampleRate / (2.0 * std::numbers::pi) / m_params.deviationHz;
  m_lowpassState += m_lowpassAlpha * (out - m_lowpassState);
  return m_lowpassState;
}

}  // namespace rs41sim
