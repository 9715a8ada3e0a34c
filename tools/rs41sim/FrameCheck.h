#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace rs41sim {

struct FrameCheckResult {
  bool parityChecked = false;  // false when the length does not allow RS (<= 0x38 or > 518)
  bool parityMatches = false;
  std::size_t blocks = 0;
  std::size_t blocksCrcOk = 0;
  bool blockWalkComplete = false;  // the block chain ended exactly at the frame end
  std::string firstProblem;

  [[nodiscard]] bool CrcOk() const { return blockWalkComplete && blocksCrcOk == blocks; }
  [[nodiscard]] bool AllOk() const { return parityChecked && parityMatches && CrcOk(); }
};

// Recomputes both RS parities and walks the block chain from 0x39 checking each CRC.
FrameCheckResult CheckFrame(std::span<const std::uint8_t> frame);

}  // namespace rs41sim
