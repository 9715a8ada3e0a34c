#include "decoder/Crc.h"

#include <array>

namespace windlark {

namespace {

constexpr std::array<std::uint16_t, 256> MakeTable() {
  std::array<std::uint16_t, 256> table{};
  for (unsigned k = 0; k < 256; ++k) {
    unsigned crc = k << 8;
    for (int bit = 0; bit < 8; ++bit) crc = (crc & 0x8000U) ? (crc << 1) ^ 0x1021U : crc << 1;
    table[k] = static_cast<std::uint16_t>(crc);
  }
  return table;
}

constexpr std::array<std::uint16_t, 256> kTable = MakeTable();

}  // namespace

std::uint16_t Crc16(std::span<const std::uint8_t> data) {
  unsigned crc = 0xFFFF;
  for (std::uint8_t byte : data) {
    crc = kTable[((crc >> 8) ^ byte) & 0xFFU] ^ ((crc << 8) & 0xFFFFU);
  }
  return static_cast<std::uint16_t>(crc);
}

bool BlockCrcOk(const RawFrame& frame, int length, int start) {
  if (start < 0 || length < 0 || start + length + 2 > kRawFrameSize) return false;
  const auto first = static_cast<std::size_t>(start);
  const auto count = static_cast<std::size_t>(length);
  const unsigned stored = static_cast<unsigned>(frame[first + count]) |
                          static_cast<unsigned>(frame[first + count + 1]) << 8U;
  return Crc16(std::span(frame).subspan(first, count)) == stored;
}

}  // namespace windlark
