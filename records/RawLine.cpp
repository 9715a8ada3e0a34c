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

bool ParseHexFrameLine(std::string_view line, RawFrame& frame) {
  std::size_t digits = 0;
  while (digits < line.size() && HexDigit(line[digits]) >= 0) ++digits;
  constexpr std::size_t kMinDigits = 16;  // the frame header at least
  if (digits < kMinDigits || digits % 2 != 0) return false;
  if (digits < line.size() && line[digits] != ' ' && line[digits] != '\t') return false;
  frame.fill(0);
  const std::size_t bytes = std::min(digits / 2, frame.size());
  for (std::size_t i = 0; i < bytes; ++i) {
    frame[i] = static_cast<std::uint8_t>(HexDigit(line[2 * i]) << 4 | HexDigit(line[2 * i + 1]));
  }
  return true;
}

}  // namespace windlark
