#include "decoder/FramePrediction.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "decoder/BlockWalk.h"
#include "decoder/FrameDecoder.h"
#include "decoder/GpsDecoder.h"
#include "decoder/SondeState.h"
#include "decoder/StatusDecoder.h"

namespace windlark {

namespace {

constexpr double kSamplesPerFrame = 48000.0;  // one frame per second
// The sample count must put the frame this close to a whole number of frames since the last
// good one; and no further away than 20 minutes, where a sound card 100 ppm off has drifted
// 0.12 s.
constexpr double kMaxTimingSlip = 0.25;
constexpr long long kMaxFramesBetween = 1200;
// Beyond a few seconds the position has moved too far from its straight line.
constexpr long long kMaxFramesForPosition = 5;

constexpr int kBlockOverhead = 4;
constexpr std::uint32_t kMsPerWeek = 604800000;
constexpr std::int64_t kSecondsPerDay = 86400;

// Status block: the bytes after the serial (battery, flags, temperatures, heating, power)
// change slowly; the maximum fragment index does not change.
constexpr int kSlowStatusFirst = 10;
constexpr int kMaxFragmentIndexOffset = 22;
// The last fragment holds the burst-kill countdown, which runs down once armed.
constexpr int kCountdownFragment = 50;

// PTU block: a sonde without a pressure module sends zeros from here to the end.
constexpr int kPressureBytesFirst = 0x1B;
constexpr int kPtuLength = 42;
constexpr int kPtuCounts = 12;  // 4 x (measurement, two references), 24 bits each
constexpr int kPtuTail = 0x24;

// GNSS position block: the hundredths and the fields after them change little.
constexpr int kHundredthsOffset = 25;
constexpr int kGnssPositionLength = 38;
constexpr int kGpsPositionLength = 21;
constexpr int kVelocityOffset = 12;

constexpr std::size_t kGpsSatelliteSlots = 12;

std::int64_t ReadI32(const std::vector<std::uint8_t>& bytes, int at) {
  return static_cast<std::int32_t>(ReadU32(bytes, static_cast<std::size_t>(at)));
}

int ReadI16(const std::vector<std::uint8_t>& bytes, int at) {
  return static_cast<std::int16_t>(ReadU16(bytes, static_cast<std::size_t>(at)));
}

std::uint8_t ByteOf(std::uint64_t value, unsigned k) {
  return static_cast<std::uint8_t>(value >> (8U * k));
}

void Same(std::span<const std::uint8_t> last, int from, int count, std::vector<ByteHint>& hints) {
  for (int at = from; at < from + count; ++at) {
    hints.push_back({at, last[static_cast<std::size_t>(at)], false});
  }
}

void Put(int at, std::uint64_t value, int count, bool sure, std::vector<ByteHint>& hints) {
  for (int k = 0; k < count; ++k) {
    hints.push_back({at + k, ByteOf(value, static_cast<unsigned>(k)), sure});
  }
}

// How far `value` lies from the nearest multiple of `step`, where the byte above changes.
std::int64_t Margin(std::int64_t value, std::int64_t step) {
  const std::int64_t rest = ((value % step) + step) % step;
  return std::min(rest, step - rest);
}

}  // namespace

const FramePredictor::Block* FramePredictor::Find(std::uint8_t id, int length) const {
  const auto found = std::find_if(m_blocks.begin(), m_blocks.end(),
                                  [&](const Block& b) { return b.id == id && b.length == length; });
  return found == m_blocks.end() ? nullptr : &*found;
}

void FramePredictor::Reset() {
  m_have = false;
  m_blocks.clear();
  m_last.clear();
  m_seen.fill(false);
}

void FramePredictor::Learn(std::span<const std::uint8_t> frame, int frameEnd, std::int64_t sample) {
  frameEnd = std::min(frameEnd, static_cast<int>(frame.size()));
  std::vector<Block> blocks;
  for (int pos = kFirstBlockPos; pos + 1 < frameEnd;) {
    const int length = frame[static_cast<std::size_t>(pos) + 1];
    if (pos + length + kBlockOverhead > frameEnd) break;
    blocks.push_back({frame[static_cast<std::size_t>(pos)], pos + 2, length});
    pos += length + kBlockOverhead;
  }
  const auto status = std::find_if(blocks.begin(), blocks.end(), [](const Block& b) {
    return b.id == kStatusBlockId && b.length == kStatusBlockLength;
  });
  if (status == blocks.end()) return;
  const auto serial =
      frame.subspan(static_cast<std::size_t>(status->data) + kSondeIdOffset, kSondeIdLength);
  const Block* before = m_have ? Find(kStatusBlockId, kStatusBlockLength) : nullptr;
  // Another sonde: what was known of the old one's calibration is of no use.
  if (before == nullptr ||
      !std::equal(serial.begin(), serial.end(),
                  m_last.begin() + before->data + static_cast<int>(kSondeIdOffset))) {
    m_seen.fill(false);
  }
  const unsigned index = frame[static_cast<std::size_t>(status->data) + kFragmentIndexOffset];
  if (index < kFragments) {
    std::copy_n(frame.begin() + status->data + static_cast<int>(kFragmentOffset), kFragmentSize,
                m_fragments[index].begin());
    m_seen[index] = true;
  }
  m_last.assign(frame.begin(), frame.begin() + frameEnd);
  m_blocks = std::move(blocks);
  m_sample = sample;
  m_have = true;
}

std::vector<ByteHint> FramePredictor::Predict(std::int64_t sample) const {
  std::vector<ByteHint> hints;
  if (!m_have) return hints;
  const double elapsed = static_cast<double>(sample - m_sample) / kSamplesPerFrame;
  const long long frames = std::llround(elapsed);
  if (frames < 1 || frames > kMaxFramesBetween ||
      std::abs(elapsed - static_cast<double>(frames)) > kMaxTimingSlip) {
    return hints;
  }
  const int n = static_cast<int>(frames);
  for (const Block& block : m_blocks) {
    // The frame is most likely built as the last one: the same blocks at the same places.
    Same(m_last, block.data - 2, 2, hints);
    switch (block.id) {
      case kStatusBlockId:
        if (block.length == kStatusBlockLength) HintStatus(block.data, n, hints);
        break;
      case kGpsTimeBlockId:
        if (block.length == kGpsTimeBlockLength) HintGpsTime(block.data, n, hints);
        break;
      case kGpsPositionBlockId:
        if (block.length == kGpsPositionLength && n <= kMaxFramesForPosition) {
          HintEcef(block.data, n, hints);
          Same(m_last, block.data + static_cast<int>(kNumSatellitesOffset), 3, hints);
        }
        break;
      case kGnssPositionBlockId:
        if (block.length == kGnssPositionLength) HintGnssPosition(block.data, n, hints);
        break;
      case kGnssSatellitesBlockId:
        // Satellites come and go over minutes: the slot bitmap rarely changes.
        if (block.length == kGnssSatellitesBlockLength) {
          Same(m_last, block.data + static_cast<int>(kSlotBitmapOffset),
               static_cast<int>(kSlotBitmapBytes), hints);
        }
        break;
      case kPtuBlockId:
        if (block.length == kPtuLength) HintPtu(block.data, hints);
        break;
      case kTagBlockId:
        // It opens with two bytes that have not been seen to change; the rest looks random.
        Same(m_last, block.data, 2, hints);
        break;
      case kPaddingBlockId:
        Same(m_last, block.data, block.length + 2, hints);
        break;
      default:
        break;
    }
  }
  return hints;
}

void FramePredictor::HintStatus(int data, int frames, std::vector<ByteHint>& hints) const {
  const auto last = std::span<const std::uint8_t>(m_last);
  const unsigned number = ReadU16(m_last, static_cast<std::size_t>(data) + kFrameNumberOffset);
  Put(data + static_cast<int>(kFrameNumberOffset),
      (number + static_cast<unsigned>(frames)) & 0xFFFFU, 2, true, hints);
  for (std::size_t k = 0; k < kSondeIdLength; ++k) {
    const int at = data + static_cast<int>(kSondeIdOffset + k);
    hints.push_back({at, last[static_cast<std::size_t>(at)], true});
  }
  Same(last, data + kSlowStatusFirst, kMaxFragmentIndexOffset - kSlowStatusFirst, hints);
  const unsigned maxIndex = last[static_cast<std::size_t>(data) + kMaxFragmentIndexOffset];
  const unsigned index = last[static_cast<std::size_t>(data) + kFragmentIndexOffset];
  hints.push_back({data + kMaxFragmentIndexOffset, static_cast<std::uint8_t>(maxIndex), true});
  if (maxIndex >= kFragments || index > maxIndex) return;
  const unsigned next = (index + static_cast<unsigned>(frames)) % (maxIndex + 1);
  hints.push_back(
      {data + static_cast<int>(kFragmentIndexOffset), static_cast<std::uint8_t>(next), true});
  if (!m_seen[next]) return;
  const bool sure = next != kCountdownFragment;
  for (int k = 0; k < kFragmentSize; ++k) {
    hints.push_back({data + static_cast<int>(kFragmentOffset) + k,
                     m_fragments[next][static_cast<std::size_t>(k)], sure});
  }
}

void FramePredictor::HintPtu(int data, std::vector<ByteHint>& hints) const {
  // The sensors' counts drift: their upper two bytes rarely change from second to second.
  for (int value = 0; value < kPtuCounts; ++value) Same(m_last, data + 3 * value + 1, 2, hints);
  // A sonde without a pressure module sends zeros for it.
  const auto first = m_last.begin() + data + kPressureBytesFirst;
  if (std::all_of(first, m_last.begin() + data + kPtuLength,
                  [](std::uint8_t b) { return b == 0; })) {
    Same(m_last, data + kPressureBytesFirst, kPtuLength - kPressureBytesFirst, hints);
  } else {
    // Two words nobody has identified, and the pressure module's temperature.
    Same(m_last, data + kPtuTail, 2, hints);
    Same(m_last, data + kPtuTail + 3, 1, hints);
    Same(m_last, data + kPtuTail + 4, 2, hints);
  }
}

void FramePredictor::HintGpsTime(int data, int frames, std::vector<ByteHint>& hints) const {
  unsigned week = ReadU16(m_last, static_cast<std::size_t>(data) + kGpsWeekOffset);
  std::uint64_t tow = ReadU32(m_last, static_cast<std::size_t>(data) + kTimeOfWeekOffset) +
                      static_cast<std::uint64_t>(frames) * 1000U;
  if (tow >= kMsPerWeek) {
    tow -= kMsPerWeek;
    week = (week + 1) & 0xFFFFU;
  }
  Put(data + static_cast<int>(kGpsWeekOffset), week, 2, true, hints);
  Put(data + static_cast<int>(kTimeOfWeekOffset), tow, 4, true, hints);
  // The satellites tracked change every few minutes; their signal strengths every second.
  for (std::size_t k = 0; k < kGpsSatelliteSlots; ++k) {
    const int at = data + static_cast<int>(kSatelliteOffset + 2 * k);
    hints.push_back({at, m_last[static_cast<std::size_t>(at)], false});
  }
}

void FramePredictor::HintGnssPosition(int data, int frames, std::vector<ByteHint>& hints) const {
  const auto t = static_cast<std::size_t>(data) + kUtcYearOffset;
  std::int32_t year = static_cast<std::int32_t>(ReadU16(m_last, t));
  std::int32_t month = m_last[t + 2];
  std::int32_t day = m_last[t + 3];
  const std::int64_t seconds = std::int64_t{m_last[t + 4]} * 3600 +
                               std::int64_t{m_last[t + 5]} * 60 + m_last[t + 6] + frames;
  if (month >= 1 && month <= 12 && day >= 1 && day <= 31 && seconds < 2 * kSecondsPerDay) {
    CivilFromDays(
        DaysFromCivil(year, month, day) + static_cast<std::int32_t>(seconds / kSecondsPerDay), year,
        month, day);
    const std::int64_t clock = seconds % kSecondsPerDay;
    const int at = static_cast<int>(t);
    Put(at, static_cast<std::uint64_t>(year), 2, true, hints);
    hints.push_back({at + 2, static_cast<std::uint8_t>(month), true});
    hints.push_back({at + 3, static_cast<std::uint8_t>(day), true});
    hints.push_back({at + 4, static_cast<std::uint8_t>(clock / 3600), true});
    hints.push_back({at + 5, static_cast<std::uint8_t>(clock % 3600 / 60), true});
    hints.push_back({at + 6, static_cast<std::uint8_t>(clock % 60), true});
  }
  Same(m_last, data + kHundredthsOffset, kGnssPositionLength - kHundredthsOffset, hints);
  if (frames <= kMaxFramesForPosition) HintEcef(data, frames, hints);
}

void FramePredictor::HintEcef(int data, int frames, std::vector<ByteHint>& hints) const {
  constexpr std::int64_t kByte = 256;
  constexpr std::int64_t kTwoBytes = 65536;
  constexpr std::int64_t kThreeBytes = 16777216;
  // How far the straight line may miss after one second, in cm (growing with the square of
  // the time): the drift changes by a few dm/s per second.
  constexpr std::int64_t kLineMiss = 50;
  constexpr std::int64_t kSpeedChange = 50;  // cm/s per second
  for (int axis = 0; axis < 3; ++axis) {
    const int p = data + 4 * axis;
    const int v = data + kVelocityOffset + 2 * axis;
    const int velocity = ReadI16(m_last, v);
    const std::int64_t position = ReadI32(m_last, p) + std::int64_t{velocity} * frames;
    const std::int64_t miss = kLineMiss * frames * frames;
    const auto bits = static_cast<std::uint64_t>(position);
    if (Margin(position, kThreeBytes) > 4 * miss) hints.push_back({p + 3, ByteOf(bits, 3), true});
    if (Margin(position, kTwoBytes) > 4 * miss) hints.push_back({p + 2, ByteOf(bits, 2), true});
    if (Margin(position, kByte) > miss) hints.push_back({p + 1, ByteOf(bits, 1), false});
    if (Margin(velocity, kByte) > kSpeedChange * frames) {
      hints.push_back({v + 1, m_last[static_cast<std::size_t>(v) + 1], false});
    }
  }
}

}  // namespace windlark
