#include "signal/EnhancedDemodulator.h"

#include <algorithm>
#include <bit>
#include <cmath>

#include "base/Format.h"
#include "signal/BitSlicer.h"

namespace windlark {

namespace {

// The header as sent (whitened), first bit in bit 0.
constexpr std::uint64_t kHeaderBits = 0xF812962211CAB610ULL;
constexpr std::array<std::uint8_t, 8> kHeader = {0x86, 0x35, 0xF4, 0x40, 0x93, 0xDF, 0x1A, 0x60};
constexpr int kHeaderBitCount = 64;
constexpr int kHeaderBytes = 8;
constexpr int kFrameTypeIndex = 56;
constexpr int kShortFrameBytes = 320;
constexpr float kKnownReliability = 100.0F;
constexpr double kDeviationHz = 2400.0;
// Samples after the first phase that matched in which a better one may still come.
constexpr int kConfirmSamples = 5;
// Loop gains, per bit: timing (proportional, integral), DC and level.
constexpr double kTimingGain = 0.08;
constexpr double kPeriodGain = 0.002;
constexpr double kDcGain = 0.01;
constexpr double kLevelGain = 0.01;
constexpr float kHuntDcGain = 1.0F / 1024.0F;
constexpr double kNominalPeriod = kSamplesPerBit;

// Without a popcount instruction in the baseline target std::popcount is a library call; this
// runs on every sample.
int BitCount(std::uint64_t v) {
  v = v - ((v >> 1U) & 0x5555555555555555ULL);
  v = (v & 0x3333333333333333ULL) + ((v >> 2U) & 0x3333333333333333ULL);
  v = (v + (v >> 4U)) & 0x0F0F0F0F0F0F0F0FULL;
  return static_cast<int>((v * 0x0101010101010101ULL) >> 56U);
}

}  // namespace

EnhancedDemodulator::EnhancedDemodulator(FrameSink& sink, LampBank& lamps, TelemetryView& view,
                                         std::atomic<std::int32_t>& lockCount)
    : m_sink(sink), m_lamps(lamps), m_view(view), m_lockCount(lockCount) {}

void EnhancedDemodulator::ResetToHunting() {
  m_mode = Mode::Hunting;
  m_registers.fill(0);
}

void EnhancedDemodulator::ResetDemodulator() {
  ResetToHunting();
  const std::int64_t n = m_filter.n;
  const std::size_t phase = m_filter.phase;
  m_filter = Filter{};
  m_filter.n = n;  // the sample count runs on: frames are timed by it
  m_filter.phase = phase;
  m_window.fill(0);
  m_history.fill(0);
}

void EnhancedDemodulator::SliceBuffer(std::span<const std::uint8_t> buffer) {
  if (buffer.size() != static_cast<std::size_t>(kSamplesPerBuffer)) return;
  m_phaseShown = 0;
  if (m_adjust) {
    long sum = 0;
    for (const std::uint8_t sample : buffer) sum += sample;
    const double mean = static_cast<double>(sum) / kSamplesPerBuffer - 128.0;
    m_view.SetText(ReadOut::AvrLevel, FormatWidth(mean, 5, 2));
  }
  for (int i = 0; i < kSamplesPerBuffer;) {
    if (m_mode == Mode::Hunting) {
      i = HuntRun(buffer, i);
      continue;
    }
    if (m_mode == Mode::InFrame) {
      i = FrameRun(buffer, i);
      continue;
    }
    Sample(static_cast<int>(buffer[static_cast<std::size_t>(i)]) - 128, i);
    ++i;
  }
}

inline int EnhancedDemodulator::Filter::Step(int x, bool adjust,
                                             std::array<int, kBitSamples>& window,
                                             std::array<int, kHistory>& history) {
  // The binomial low-pass as six two-tap sums in cascade: the same integers as the seven taps.
  int filtered = x;
  for (int& stage : pre) {
    const int before = stage;
    stage = filtered;
    filtered += before;
  }
  // Integer sums stay exact however long the input runs.
  sum += filtered - window[windowAt];
  window[windowAt] = filtered;
  if (++windowAt == window.size()) windowAt = 0;
  if (++phase == kBitSamples) phase = 0;
  ++n;
  history[static_cast<std::size_t>(n) & (kHistory - 1)] = sum;
  if (adjust) dcHunt += (static_cast<float>(sum) - dcHunt) * kHuntDcGain;
  return sum;
}

int EnhancedDemodulator::FrameRun(std::span<const std::uint8_t> buffer, int from) {
  // Sample() through a frame on a local copy of the filter, put back before each bit is read
  // (a finished frame goes to the sink, which may reset everything).
  Filter filter = m_filter;
  int i = from;
  while (i < kSamplesPerBuffer) {
    filter.Step(static_cast<int>(buffer[static_cast<std::size_t>(i++)]) - 128, m_adjust, m_window,
                m_history);
    if (m_next < static_cast<double>(filter.n)) {
      m_filter = filter;
      while (m_mode == Mode::InFrame && m_next < static_cast<double>(m_filter.n)) FrameBit();
      if (m_mode != Mode::InFrame) return i;
    }
  }
  m_filter = filter;
  return i;
}

int EnhancedDemodulator::HuntRun(std::span<const std::uint8_t> buffer, int from) {
  // Sample() and Hunt() for as long as nothing looks like a header, on a local copy of the
  // filter: half of all samples come by here.
  Filter filter = m_filter;
  int i = from;
  bool found = false;
  while (i < kSamplesPerBuffer && !found) {
    const auto y = static_cast<float>(
        filter.Step(static_cast<int>(buffer[static_cast<std::size_t>(i++)]) - 128, m_adjust,
                    m_window, m_history));
    std::uint64_t& reg = m_registers[filter.phase];
    reg = (reg >> 1U) | (static_cast<std::uint64_t>(y > filter.dcHunt) << 63U);
    const int errors = BitCount(reg ^ kHeaderBits);
    found = errors <= kMaxHeaderErrors || kHeaderBitCount - errors <= kMaxHeaderErrors;
  }
  m_filter = filter;
  if (found) {
    m_mode = Mode::Confirming;
    m_candidate = filter.n;
  }
  return i;
}

double EnhancedDemodulator::At(double t) const {
  const double whole = std::floor(t);
  const auto index = static_cast<std::int64_t>(whole);
  const auto a = static_cast<double>(m_history[static_cast<std::size_t>(index) & (kHistory - 1)]);
  const auto b =
      static_cast<double>(m_history[static_cast<std::size_t>(index + 1) & (kHistory - 1)]);
  return a + (b - a) * (t - whole);
}

void EnhancedDemodulator::Sample(int x, int indexInBuffer) {
  const auto y = static_cast<float>(m_filter.Step(x, m_adjust, m_window, m_history));
  switch (m_mode) {
    case Mode::Hunting:
      Hunt(y, indexInBuffer);
      break;
    case Mode::Confirming:
      Hunt(y, indexInBuffer);
      if (m_filter.n == m_candidate + kConfirmSamples) Lock(indexInBuffer);
      break;
    case Mode::InFrame:
      while (m_mode == Mode::InFrame && m_next < static_cast<double>(m_filter.n)) FrameBit();
      break;
  }
}

void EnhancedDemodulator::Hunt(float y, int /*indexInBuffer*/) {
  auto& reg = m_registers[m_filter.phase];
  reg = (reg >> 1U) | (static_cast<std::uint64_t>(y > m_filter.dcHunt) << 63U);
  if (m_mode != Mode::Hunting) return;
  const int errors = BitCount(reg ^ kHeaderBits);
  if (errors <= kMaxHeaderErrors || kHeaderBitCount - errors <= kMaxHeaderErrors) {
    m_mode = Mode::Confirming;
    m_candidate = m_filter.n;
  }
}

void EnhancedDemodulator::Lock(int indexInBuffer) {
  // The phase whose soft correlation with the header is strongest, refined between samples.
  const auto correlation = [this](std::int64_t end) {
    double sum = 0.0;
    for (int i = 0; i < kHeaderBitCount; ++i) {
      const std::int64_t bitsBack = kHeaderBitCount - 1 - i;
      const auto v = static_cast<double>(
          static_cast<float>(
              m_history[static_cast<std::size_t>(end - 10 * bitsBack) & (kHistory - 1)]) -
          m_filter.dcHunt);
      sum += ((kHeaderBits >> static_cast<unsigned>(i)) & 1U) != 0 ? v : -v;
    }
    return sum;
  };
  std::array<double, 2 * kConfirmSamples + 1> corr{};
  std::size_t best = 0;
  for (std::size_t k = 0; k < corr.size(); ++k) {
    corr[k] = correlation(m_candidate - kConfirmSamples + static_cast<std::int64_t>(k));
    if (std::abs(corr[k]) > std::abs(corr[best])) best = k;
  }
  m_polarity = corr[best] >= 0.0 ? 1 : -1;
  double offset = 0.0;
  if (best > 0 && best + 1 < corr.size()) {
    const double l = std::abs(corr[best - 1]);
    const double m = std::abs(corr[best]);
    const double r = std::abs(corr[best + 1]);
    const double denominator = l - 2.0 * m + r;
    if (denominator < 0.0) offset = std::clamp(0.5 * (l - r) / denominator, -0.5, 0.5);
  }
  const double end =
      static_cast<double>(m_candidate - kConfirmSamples) + static_cast<double>(best) + offset;

  // DC, level and the neighbours' share from the known header bits, least squares.
  const auto headerBit = [this](int i) {
    return (((kHeaderBits >> static_cast<unsigned>(i)) & 1U) != 0 ? 1.0 : -1.0) * m_polarity;
  };
  std::array<std::array<double, 4>, 3> normal{};  // [row][dc, h0, h1 | rhs]
  for (int i = 1; i + 1 < kHeaderBitCount; ++i) {
    const double v = At(end - 10.0 * (kHeaderBitCount - 1 - i));
    const std::array<double, 3> x = {1.0, headerBit(i), headerBit(i - 1) + headerBit(i + 1)};
    for (std::size_t r = 0; r < 3; ++r) {
      for (std::size_t c = 0; c < 3; ++c) normal[r][c] += x[r] * x[c];
      normal[r][3] += x[r] * v;
    }
  }
  const auto det3 = [](const std::array<std::array<double, 4>, 3>& m, std::size_t replace) {
    const auto e = [&](std::size_t r, std::size_t c) { return c == replace ? m[r][3] : m[r][c]; };
    return e(0, 0) * (e(1, 1) * e(2, 2) - e(1, 2) * e(2, 1)) -
           e(0, 1) * (e(1, 0) * e(2, 2) - e(1, 2) * e(2, 0)) +
           e(0, 2) * (e(1, 0) * e(2, 1) - e(1, 1) * e(2, 0));
  };
  const double det = det3(normal, 3);
  const double fitDc = std::abs(det) > 1e-9 ? det3(normal, 0) / det : 0.0;
  const double fitH0 = std::abs(det) > 1e-9 ? det3(normal, 1) / det : 1.0;
  const double fitH1 = std::abs(det) > 1e-9 ? det3(normal, 2) / det : 0.0;
  m_h0 = std::max(fitH0, 1.0);
  m_h1 = std::clamp(fitH1, 0.0, 0.5 * m_h0);
  m_level = m_h0;
  m_dc = m_adjust ? fitDc : 0.0;
  m_pastDecision = headerBit(kHeaderBitCount - 1);
  m_havePending = false;
  m_previous = At(end) - m_dc;
  m_next = end + kNominalPeriod;
  m_period = kNominalPeriod;
  m_bit = 0;
  m_byte = 0;
  m_byteReliability = kKnownReliability;
  m_frameLength = kSoftFrameBytes;
  m_recent = {};
  m_runSum = 0.0;
  m_runSquares = 0.0;
  m_dcSum = 0.0;
  m_runCount = 0;
  m_frame = SoftFrame{};
  m_frame.syncSample = static_cast<std::int64_t>(std::llround(end));
  std::copy(kHeader.begin(), kHeader.end(), m_frame.bytes.begin());
  std::fill_n(m_frame.reliability.begin(), kHeaderBytes, kKnownReliability);

  m_mode = Mode::InFrame;
  ++m_lockCount;
  m_lamps.LightLamp(Lamp::Preamble);
  m_phaseShown = indexInBuffer;
  while (m_mode == Mode::InFrame && m_next < static_cast<double>(m_filter.n)) FrameBit();
}

void EnhancedDemodulator::FrameBit() {
  const double t = m_next;
  const double y = At(t) - m_dc;
  const double mid = At(t - 0.5 * m_period) - m_dc;
  // Gardner's detector: at a transition the midway sample leans towards the late side.
  const double error = std::clamp(mid * (m_previous - y) / (m_level * m_level), -1.0, 1.0);
  m_period =
      std::clamp(m_period + kPeriodGain * error, kNominalPeriod * 0.99, kNominalPeriod * 1.01);
  m_next = t + m_period + kTimingGain * error;
  m_previous = y;
  m_level = std::max(1.0, m_level + kLevelGain * (std::abs(y) - m_level));
  m_dcSum += m_dc;

  // Deviation and noise from the middle bit of three equal ones, which reaches full swing.
  m_recent = {m_recent[1], m_recent[2], y};
  if ((m_recent[0] > 0) == (m_recent[1] > 0) && (m_recent[1] > 0) == (m_recent[2] > 0) &&
      m_recent[0] != 0.0) {
    m_runSum += std::abs(m_recent[1]);
    m_runSquares += m_recent[1] * m_recent[1];
    ++m_runCount;
  }

  // Each bit is decided one bit late: the Gaussian pulse spills into both neighbours, so the
  // threshold moves by their contribution (the one before as decided, the one after as it
  // looks now). Both taps and the DC follow the decisions.
  const double pending = m_pendingY;
  m_pendingY = y;
  if (!m_havePending) {
    m_havePending = true;
    return;
  }
  const double neighbours = m_pastDecision + (y >= 0.0 ? 1.0 : -1.0);
  const double z = pending - m_h1 * neighbours;
  const double decision = z >= 0.0 ? 1.0 : -1.0;
  const double residual = pending - (m_h0 * decision + m_h1 * neighbours);
  if (m_adjust) m_dc += kDcGain * residual;
  m_h0 = std::max(1.0, m_h0 + kLevelGain * residual * decision);
  m_h1 = std::clamp(m_h1 + 0.5 * kLevelGain * residual * neighbours, 0.0, 0.5 * m_h0);
  m_pastDecision = decision;

  const bool one = decision * m_polarity > 0.0;
  const int inByte = m_bit % 8;
  if (one) m_byte = static_cast<std::uint8_t>(m_byte | (1U << static_cast<unsigned>(inByte)));
  m_byteReliability = std::min(m_byteReliability, static_cast<float>(std::abs(z) / m_h0));
  ++m_bit;
  if (inByte != 7) return;

  const int index = kHeaderBytes + (m_bit - 1) / 8;
  const auto at = static_cast<std::size_t>(index);
  m_frame.bytes[at] = static_cast<std::uint8_t>(m_byte ^ kWhiteningMask[at % 64]);
  m_frame.reliability[at] = m_byteReliability;
  m_byte = 0;
  m_byteReliability = kKnownReliability;
  if (index == kFrameTypeIndex) {
    // 0x0F short, 0xF0 long: a majority of the nibbles decides.
    const unsigned type = m_frame.bytes[at];
    const int vote = std::popcount(type & 0x0FU) - std::popcount(type & 0xF0U);
    m_frameLength = vote >= 0 ? kShortFrameBytes : kSoftFrameBytes;
  }
  if (index + 1 == m_frameLength) Finish();
}

void EnhancedDemodulator::Finish() {
  if (m_runCount > 10) {
    const double level = m_runSum / m_runCount;
    const double variance = std::max(m_runSquares / m_runCount - level * level, 1e-9);
    m_frame.snrDb = 10.0 * std::log10(level * level / variance);
    m_frame.fErrorHz = m_polarity * (m_dcSum / m_bit) / level * kDeviationHz;
  }
  ResetToHunting();
  m_sink.OnSoftFrame(m_frame);
}

}  // namespace windlark
