#pragma once

#include <cstdint>
#include <span>

namespace rs41sim {

// CRC-16/CCITT-FALSE (poly 0x1021, init 0xFFFF, MSB first, no final XOR), as used by the RS41
// block checksums and the calibration image.
std::uint16_t Crc16CcittFalse(std::span<const std::uint8_t> data);

}  // namespace rs41sim
