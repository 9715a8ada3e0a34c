#pragma once

#include <array>
#include <cstdint>
#include <span>

namespace rs41sim {

// The sonde XORs every frame byte with this mask (index = byte offset mod 64) before sending.
extern const std::array<std::uint8_t, 64> kWhiteningMask;

// XORs in place; applying it twice restores the input.
void Whiten(std::span<std::uint8_t> frame);

}  // namespace rs41sim
