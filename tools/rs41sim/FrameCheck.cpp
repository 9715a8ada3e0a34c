#include "FrameCheck.h"

#include <algorithm>

#include "ByteUtil.h"
#include "ReedSolomon.h"
#include "SimCrc.h"
#include "TextUtil.h"

namespace rs41sim {
namespace {

constexpr std::size_t kFirstBlock = 0x39;

void Note(FrameCheckResult& result, const std::string& problem) {
  if (result.firstProblem.empty()) result.firstProblem = problem;
}

}  // namespace

FrameCheckResult CheckFrame(std::span<const std::uint8_t> frame) {
  FrameCheckResult result;
  if (frame.size() > kFrameDataOffset && frame.size() <= kFrameMaxLen) {
    result.parityChecked = true;
    const auto parity = FrameParity(frame);
    result.parityMatches =
        std::equal(parity.begin(), parity.end(), frame.begin() + kFrameParityOffset);
    if (!result.parityMatches) Note(result, "RS parity differs");
  } else {
    Note(result, "length " + ToText(frame.size()) + " not usable for RS");
  }

  std::size_t pos = kFirstBlock;
  while (pos + 2 <= frame.size()) {
    const std::size_t length = frame[pos + 1];
    if (pos + 2 + length + 2 > frame.size()) {
      Note(result, "block at offset " + ToText(pos) + " overruns the frame");
      return result;
    }
    ++result.blocks;
    const auto data = frame.subspan(pos + 2, length);
    if (Crc16CcittFalse(data) == GetU16Le(frame, pos + 2 + length)) {
      ++result.blocksCrcOk;
    } else {
      Note(result,
           "CRC of block 0x" + ToText(frame[pos], 16) + " at offset " + ToText(pos) + " fails");
    }
    pos += length + 4;
  }
  result.blockWalkComplete = pos == frame.size();
  if (!result.blockWalkComplete) Note(result, "stray bytes after the last block");
  return result;
}

}  // namespace rs41sim
