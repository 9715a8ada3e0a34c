#include "support/TestSignal.h"

#include <algorithm>

#include "decoder/Crc.h"

namespace windlark::test {

namespace {

constexpr std::uint8_t kHeader[8] = {0x86, 0x35, 0xF4, 0x40, 0x93, 0xDF, 0x1A, 0x60};

void Put16(std::vector<std::uint8_t>& f, std::size_t at, unsigned v) {
  f[at] = static_cast<std::uint8_t>(v);
  f[at + 1] = static_cast<std::uint8_t>(v >> 8);
}

void Put32(std::vector<std::uint8_t>& f, std::size_t at, std::uint32_t v) {
  Put16(f, at, v & 0xFFFF);
  Put16(f, at + 2, v >> 16);
}

}  // namespace

void SealBlock(std::vector<std::uint8_t>& frame, int start, int length) {
  const auto first = static_cast<std::size_t>(start);
  const auto count = static_cast<std::size_t>(length);
  Put16(frame, first + count, Crc16(std::span(frame).subspan(first, count)));
}

std::vector<std::uint8_t> BuildFrame(const FrameSpec& frameSpec) {
  std::vector<std::uint8_t> f(320, 0);
  std::copy(std::begin(kHeader), std::end(kHeader), f.begin());
  f[0x38] = 0x0F;
  f[57] = 0x79, f[58] = 0x28;
  Put16(f, 59, frameSpec.frameNumber);
  for (std::size_t k = 0; k < 8 && k < frameSpec.sondeId.size(); ++k) {
    f[61 + k] = static_cast<std::uint8_t>(frameSpec.sondeId[k]);
  }
  f[69] = frameSpec.battery;
  f[81] = 0x32;
  f[82] = frameSpec.fragmentIndex;
  std::copy(frameSpec.fragment.begin(), frameSpec.fragment.end(), f.begin() + 83);
  SealBlock(f, 59, 40);
  f[101] = 0x7A, f[102] = 0x2A;
  SealBlock(f, 103, 42);
  f[147] = 0x7C, f[148] = 0x1E;
  Put16(f, 149, frameSpec.gpsWeek);
  Put32(f, 151, frameSpec.timeOfWeekMs);
  for (std::size_t k = 0; k < 12; ++k) {
    f[155 + 2 * k] = static_cast<std::uint8_t>(k + 1);
    f[156 + 2 * k] = 40;
  }
  SealBlock(f, 149, 30);
  f[181] = 0x7D, f[182] = 0x59;
  SealBlock(f, 183, 0x59);
  f[274] = 0x7B, f[275] = 0x15;
  Put32(f, 276, static_cast<std::uint32_t>(frameSpec.ecefXcm));
  Put32(f, 280, static_cast<std::uint32_t>(frameSpec.ecefYcm));
  Put32(f, 284, static_cast<std::uint32_t>(frameSpec.ecefZcm));
  Put16(f, 288, static_cast<std::uint16_t>(frameSpec.velXcm));
  Put16(f, 290, static_cast<std::uint16_t>(frameSpec.velYcm));
  Put16(f, 292, static_cast<std::uint16_t>(frameSpec.velZcm));
  f[294] = frameSpec.sats, f[295] = frameSpec.speedAccuracy, f[296] = frameSpec.pdop;
  SealBlock(f, 276, 21);
  f[299] = 0x76, f[300] = 0x11;
  SealBlock(f, 301, 0x11);
  return f;
}

RawFrame ToRawFrame(const std::vector<std::uint8_t>& bytes) {
  RawFrame frame{};
  std::copy_n(bytes.begin(), std::min<std::size_t>(bytes.size(), kReceivedFrameSize),
              frame.begin());
  return frame;
}

void AppendFrameAudio(std::vector<std::uint8_t>& audio, const std::vector<std::uint8_t>& frame,
                      const AudioSpec& audioSpec) {
  const std::size_t slotStart = audio.size();
  const auto level = [&](int bit) {
    int b = audioSpec.invert ? 1 - bit : bit;
    return static_cast<std::uint8_t>(std::clamp(
        128 + audioSpec.dcOffset + (b ? audioSpec.amplitude : -audioSpec.amplitude), 0, 255));
  };
  const auto pushBit = [&](int bit) { audio.insert(audio.end(), 10, level(bit)); };
  // Alternating bits ending in 1: the header's first on-air bits are zeros.
  for (int k = audioSpec.preambleBits; k > 0; --k) pushBit(k % 2 == 1 ? 1 : 0);
  for (std::size_t i = 0; i < frame.size(); ++i) {
    const auto byte = static_cast<std::uint8_t>(frame[i] ^ kWhiteningMask[i % 64]);
    for (int bit = 0; bit < 8; ++bit) pushBit((byte >> bit) & 1);
  }
  const std::size_t slotEnd = slotStart + static_cast<std::size_t>(audioSpec.gapSamples);
  if (audio.size() < slotEnd) {
    audio.insert(audio.end(), slotEnd - audio.size(),
                 static_cast<std::uint8_t>(std::clamp(128 + audioSpec.dcOffset, 0, 255)));
  }
}

}  // namespace windlark::test
