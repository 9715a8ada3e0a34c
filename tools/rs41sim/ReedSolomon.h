#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace rs41sim {

inline constexpr std::size_t kRsParityLen = 24;
inline constexpr std::size_t kRsMaxDataLen = 231;  // RS(255,231)
inline constexpr std::size_t kFrameParityOffset = 0x08;
inline constexpr std::size_t kFrameDataOffset = 0x38;
inline constexpr std::size_t kFrameMaxLen = kFrameDataOffset + 2 * kRsMaxDataLen;  // 518

// Systematic RS(255,231) parity over GF(2^8)/0x11D, generator roots alpha^0..alpha^23.
// data[j] is the codeword coefficient of x^(24+j); parity[i] that of x^i. Shorter data is
// implicitly zero-padded at the high-degree end.
std::array<std::uint8_t, kRsParityLen> RsParity(std::span<const std::uint8_t> data);

// Parity for the two interleaved codewords of a de-whitened frame: codeword 1 takes the even
// frame offsets from 0x38, codeword 2 the odd ones. Result is laid out as frame bytes 0x08..0x37.
// The frame must be longer than 0x38 and at most 518 bytes.
std::array<std::uint8_t, 2 * kRsParityLen> FrameParity(std::span<const std::uint8_t> frame);

// Stores FrameParity() into bytes 0x08..0x37.
void WriteFrameParity(std::span<std::uint8_t> frame);

}  // namespace rs41sim
