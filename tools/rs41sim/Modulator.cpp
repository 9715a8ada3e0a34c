#include "Modulator.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace rs41sim {
namespace {

std::vector<double> GaussianTaps(double bt) {
  // Gaussian pulse-shaping impulse response: sigma = sqrt(ln 2) / (2 pi BT) bit periods.
  const double sigmaSamples = std::sqrt(std::numbers::ln2) / (2.0 * std::numbers::pi * bt) *
                              static_cast<double>(kSamplesPerBit);
  const auto half = static_cast<std::size_t>(std::max(1.0, std::ceil(4.0 * sigmaSamples)));
  std::vector<double> taps(2 * half + 1);
  double sum = 0.0;
  for (std::size_t i = 0; i < taps.size(); ++i) {
    const double t = static_cast<double>(i) - static_cast<double>(half);
    taps[i] = std::exp(-0.5 * t * t / (sigmaSamples * sigmaSamples));
    sum += taps[i];
  }
  // Unit DC gain so long runs settle exactly at +-amplitude.
  for (double& tap : taps) tap /= sum;
  return taps;
}

}  // namespace

GfskModulator::GfskModulator(const ModulatorParams& params)
    : m_params(params),
      m_taps(GaussianTaps(params.bt)),
      m_history(m_taps.size(), 0.0),
      m_rng(params.seed) {
  if (params.channel.radio) {
    m_channel.emplace(params.channel, static_cast<double>(kSampleRate),
                      static_cast<double>(kSamplesPerBit), params.seed);
  }
}

double GfskModulator::Gaussian() {
  // Box-Muller on the raw engine output: std::normal_distribution differs between standard
  // libraries, and the noise must be reproducible for a given seed.
  if (m_haveSpare) {
    m_haveSpare = false;
    return m_spare;
  }
  constexpr double kScale = 1.0 / 9007199254740992.0;                     // 2^-53
  const double u1 = (static_cast<double>(m_rng() >> 11) + 1.0) * kScale;  // (0, 1]
  const double u2 = static_cast<double>(m_rng() >> 11) * kScale;
  const double radius = std::sqrt(-2.0 * std::log(u1));
  const double angle = 2.0 * std::numbers::pi * u2;
  m_spare = radius * std::sin(angle);
  m_haveSpare = true;
  return radius * std::cos(angle);
}

std::uint8_t GfskModulator::Quantize(double filtered) {
  if (m_channel) filtered = m_channel->Process(filtered);
  const double sign = m_params.invert ? -1.0 : 1.0;
  double value =
      128.0 + static_cast<double>(m_params.dcOffset) + sign * m_params.amplitude * filtered;
  if (m_params.noiseSigma > 0.0) value += m_params.noiseSigma * Gaussian();
  return static_cast<std::uint8_t>(std::clamp(std::floor(value + 0.5), 0.0, 255.0));
}

void GfskModulator::Push(double nrz, std::vector<std::uint8_t>& out) {
  m_history[m_head] = nrz;
  m_head = (m_head + 1) % m_history.size();
  ++m_pushed;
  // Centred filter: the output for input n - half becomes available with input n. Inputs
  // before the first one count as idle (0).
  const std::size_t half = m_taps.size() / 2;
  if (m_pushed <= half) return;
  double acc = 0.0;
  for (std::size_t i = 0; i < m_taps.size(); ++i) {
    // m_head now points at the oldest input.
    acc += m_taps[i] * m_history[(m_head + i) % m_history.size()];
  }
  out.push_back(Quantize(acc));
}

void GfskModulator::Idle(std::size_t samples, std::vector<std::uint8_t>& out) {
  for (std::size_t i = 0; i < samples; ++i) Push(0.0, out);
}

bool GfskModulator::Slot(std::span<const std::uint8_t> whitenedFrame,
                         std::vector<std::uint8_t>& out) {
  const std::size_t bits = SlotBits(m_params.preambleBits, whitenedFrame.size());
  if (bits * kSamplesPerBit > kSlotSamples) return false;
  std::vector<bool> sequence;
  sequence.reserve(bits);
  // The preamble alternates and ends on a 1, so it runs into the header's leading 0 bits.
  for (std::size_t i = 0; i < m_params.preambleBits; ++i) {
    sequence.push_back((m_params.preambleBits - 1 - i) % 2 == 0);
  }
  for (const std::uint8_t byte : whitenedFrame) {
    for (unsigned bit = 0; bit < 8; ++bit) sequence.push_back(((byte >> bit) & 1U) != 0);
  }
  // A sonde clock off by some ppm stretches or squeezes the bits; every slot still starts on
  // the receiver's whole second. Without an error this is exactly ten samples per bit.
  const double rate = 1.0 + m_params.channel.clockPpm * 1e-6;
  std::size_t n = 0;
  for (;;) {
    const auto index = static_cast<std::size_t>(
        std::floor(static_cast<double>(n) * rate / static_cast<double>(kSamplesPerBit)));
    if (index >= sequence.size() || n >= kSlotSamples) break;
    Push(sequence[index] ? 1.0 : -1.0, out);
    ++n;
  }
  Idle(kSlotSamples - n, out);
  return true;
}

void GfskModulator::Finish(std::vector<std::uint8_t>& out) {
  const std::size_t half = m_taps.size() / 2;
  // Feeding idle pushes out exactly the outstanding outputs; stop before producing extras.
  const std::size_t target = m_pushed;
  const std::size_t before = out.size();
  while (out.size() - before < std::min(half, target)) Push(0.0, out);
}

}  // namespace rs41sim
