#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace rs41sim {

// All multi-byte fields in an RS41 frame are little-endian.
inline void PutU16Le(std::span<std::uint8_t> dst, std::size_t at, std::uint16_t value) {
  dst[at] = static_cast<std::uint8_t>(value & 0xFFu);
  dst[at + 1] = static_cast<std::uint8_t>(value >> 8);
}

inline void PutU24Le(std::span<std::uint8_t> dst, std::size_t at, std::uint32_t value) {
  for (std::size_t i = 0; i < 3; ++i) {
    dst[at + i] = static_cast<std::uint8_t>((value >> (8 * i)) & 0xFFu);
  }
}

inline void PutU32Le(std::span<std::uint8_t> dst, std::size_t at, std::uint32_t value) {
  for (std::size_t i = 0; i < 4; ++i) {
    dst[at + i] = static_cast<std::uint8_t>((value >> (8 * i)) & 0xFFu);
  }
}

// Two's complement storage of signed fields.
inline void PutI16Le(std::span<std::uint8_t> dst, std::size_t at, std::int16_t value) {
  PutU16Le(dst, at, static_cast<std::uint16_t>(value));
}

inline void PutI32Le(std::span<std::uint8_t> dst, std::size_t at, std::int32_t value) {
  PutU32Le(dst, at, static_cast<std::uint32_t>(value));
}

inline std::uint16_t GetU16Le(std::span<const std::uint8_t> src, std::size_t at) {
  return static_cast<std::uint16_t>(src[at] | (src[at + 1] << 8));
}

inline std::uint32_t GetU32Le(std::span<const std::uint8_t> src, std::size_t at) {
  std::uint32_t value = 0;
  for (std::size_t i = 0; i < 4; ++i) value |= std::uint32_t{src[at + i]} << (8 * i);
  return value;
}

}  // namespace rs41sim
