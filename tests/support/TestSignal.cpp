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

std::vector<std::uint8_t> BuildFrame(const FrameSpec& spec) {
  std::vector<std::uint8_t> f(320, 0);
  std::copy(std::begin(kHeader), std::end(kHeader), f.begin());
  f[0x38] = 0x0F;
  f[57] = 0x79, f[58] = 0x28;
  Put16(f, 59, spec.frameNumber);
  for (std::size_t k = 0; k < 8 && k < spec.sondeId.size(); ++k) {
    f[61 + k] = static_cast<std::uint8_t>(spec.sondeId[k]);
  }
  f[69] = spec.battery;
  f[81] = 0x32;
  f[82] = spec.fragmentIndex;
  std::copy(spec.fragment.begin(), spec.fragment.end(), f.begin() + 83);
  SealBlock(f, 59, 40);
  f[101] = 0x7A, f[102] = 0x2A;
  SealBlock(f, 103, 42);
  f[147] = 0x7C, f[148] = 0x1E;
  Put16(f, 149, spec.gpsWeek);
  Put32(f, 151, spec.timeOfWeekMs);
  for (std::size_t k = 0; k < 12; ++k) {
    f[155 + 2 * k] = static_cast<std::uint8_t>(k + 1);
    f[156 + 2 * k] = 40;
  }
  SealBlock(f, 149, 30);
  f[181] = 0x7D, f[182] = 0x59;
  SealBlock(f, 183, 0x59);
  f[274] = 0x7B, f[275] = 0x15;
  Put32(f, 276, static_cast<std::uint32_t>(spec.ecefXcm));
  Put32(f, 280, static_cast<std::uint32_t>(spec.ecefYcm));
  Put32(f, 284, static_cast<std::uint32_t>(spec.ecefZcm));
  Put16(f, 288, static_cast<std::uint16_t>(spec.velXcm));
  Put16(f, 290, static_cast<std::uint16_t>(spec.velYcm));
  Put16(f, 292, static_cast<std::uint16_t>(spec.velZcm));
  f[294] = spec.sats, f[295] = spec.speedAccuracy, f[296] = spec.pdop;
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
                      const AudioSpec& spec) {
  const std::size_t slotStart = audio.size();
  const auto level = [&](int bit) {
    int b = spec.invert ? 1 - bit : bit;
    return static_cast<std::uint8_t>(
        std::clamp(128 + spec.dcOffset + (b ? spec.amplitude : -spec.amplitude), 0, 255));
  };
  const auto pushBit = [&](int bit) { audio.insert(audio.end(), 10, level(bit)); };
  // Alternating bits ending in 1: the header's first on-air bits are zeros.
  for (int k = spec.preambleBits; k > 0; --k) pushBit(k % 2 == 1 ? 1 : 0);
  for (std::size_t i = 0; i < frame.size(); ++i) {
    const auto byte = static_cast<std::uint8_t>(frame[i] ^ kWhiteningMask[i % 64]);
    for (int bit = 0; bit < 8; ++bit) pushBit((byte >> bit) & 1);
  }
  const std::size_t slotEnd = slotStart + static_cast<std::size_t>(spec.gapSamples);
  if (audio.size() < slotEnd) {
    audio.insert(audio.end(), slotEnd - audio.size(),
                 static_cast<std::uint8_t>(std::clamp(128 + spec.dcOffset, 0, 255)));
  }
}

}  // namespace windlark::test
