#include "signal/FrameSynchroniser.h"

#include <algorithm>

namespace windlark {

RawFrame RawPart(const SoftFrame& soft) {
  RawFrame frame{};
  std::copy_n(soft.bytes.begin(), kReceivedFrameSize, frame.begin());
  return frame;
}

namespace {

constexpr std::uint8_t kInvertedStartByte = 0x79;  // 0x86 received with inverted polarity

}  // namespace

void FrameSynchroniser::Reset() {
  m_sync.frameLen = 0;
  m_sync.bitCounter = 8;
  m_sync.shiftReg = 0;
}

SyncResult FrameSynchroniser::PushBit(int bit, bool inFrame) {
  const bool b = ((bit != 0 ? 1 : 0) ^ m_sync.polarity) != 0;
  const auto shiftIn = [&] {
    m_sync.shiftReg = static_cast<std::uint8_t>((m_sync.shiftReg >> 1) | (b ? 0x80 : 0));
  };
  SyncResult result = SyncResult::Continue;
  if (!inFrame) {
    shiftIn();
    const int upper = m_sync.shiftReg & 0xF0;
    if (m_sync.shiftReg == 0 || (upper != 0x00 && upper != 0xF0)) return SyncResult::Continue;
    // The bit that completed the pattern is shifted in once more below: the first byte is
    // complete after four further bits.
    m_sync.bitCounter = 5;
    result = SyncResult::InFrame;
  }

  shiftIn();
  if (--m_sync.bitCounter > 0) return result;
  m_sync.bitCounter = 8;
  const auto index = static_cast<std::size_t>(m_sync.frameLen);
  auto byte = static_cast<std::uint8_t>(m_sync.shiftReg ^ kWhiteningMask[index % 64]);
  ++m_sync.frameLen;
  if (m_sync.frameLen == 1) {
    if (byte == kInvertedStartByte) {
      byte = kFrameStartByte;
      m_sync.polarity ^= 1;
    } else if (byte != kFrameStartByte) {
      m_sync.frame[index] = byte;
      return SyncResult::Hunt;
    }
  }
  m_sync.frame[index] = byte;
  if (m_sync.frameLen == kReceivedFrameSize) {
    m_sink.OnFrame(m_sync.frame);
    return SyncResult::Hunt;
  }
  return result;
}

}  // namespace windlark
