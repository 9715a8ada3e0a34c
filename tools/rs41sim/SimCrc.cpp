#include "SimCrc.h"

namespace rs41sim {

std::uint16_t Crc16CcittFalse(std::span<const std::uint8_t> data) {
  std::uint16_t crc = 0xFFFF;
  for (const std::uint8_t byte : data) {
    crc = static_cast<std::uint16_t>(crc ^ (static_cast<unsigned>(byte) << 8));
    for (int bit = 0; bit < 8; ++bit) {
      const bool top = (crc & 0x8000u) != 0;
      crc = static_cast<std::uint16_t>(crc << 1);
      if (top) crc = static_cast<std::uint16_t>(crc ^ 0x1021u);
    }
  }
  return crc;
}

}  // namespace rs41sim
