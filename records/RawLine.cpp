#include "records/RawLine.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "base/Hex.h"

namespace windlark {

std::string RawLine(const RawFrame& frame) {
  std::string line;
  line.reserve(std::size_t{kReceivedFrameSize} * 3);
  for (std::size_t i = 0; i < kReceivedFrameSize; ++i) {
    line += kHexUpper[frame[i] >> 4];
    line += kHexUpper[frame[i] & 0x0F];
    line += ' ';
  }
  return line;
}

bool ParseRawLine(const std::string& line, RawFrame& frame, int offset) {
  const std::size_t room = static_cast<std::size_t>(kRawFrameSize - offset);
  std::vector<std::uint8_t> bytes;
  for (std::size_t i = 0; 3 * i + 2 <= line.size() && i < room; ++i) {
    const int high = HexDigit(line[3 * i]);
    const int low = HexDigit(line[3 * i + 1]);
    if (high < 0 || low < 0) return false;
    bytes.push_back(static_cast<std::uint8_t>(high << 4 | low));
  }
  std::copy(bytes.begin(), bytes.end(), frame.begin() + offset);
  return true;
}

}  // namespace windlark
