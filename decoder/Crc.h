#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "base/RawFrame.h"

namespace windlark {

// CRC-16/CCITT-FALSE: polynomial 0x1021, initial 0xFFFF, MSB first, no final XOR.
std::uint16_t Crc16(std::span<const std::uint8_t> data);

// CRC over `length` bytes from `start`, against the little-endian value stored right after them.
// A range that does not fit in the frame fails.
bool BlockCrcOk(const RawFrame& frame, int length, int start);

}  // namespace windlark
