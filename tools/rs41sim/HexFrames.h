#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace rs41sim {

enum class FrameTag { kNone, kOk, kNo };

struct HexFrame {
  std::vector<std::uint8_t> bytes;
  FrameTag tag = FrameTag::kNone;
  std::size_t lineNumber = 0;
};

// Reads one frame per line: hex digits (spaces between bytes allowed) then an optional tail
// such as "[OK]". Blank lines and lines starting with '#' or '{' are skipped. Throws
// std::runtime_error naming the line on malformed input.
std::vector<HexFrame> ReadHexFrames(const std::string& path);

// Parses a single line; returns false when the line carries no frame (comment/blank).
bool ParseHexLine(std::string_view line, HexFrame& frame, std::string& error);

// Lowercase hex, no separators.
std::string ToHex(std::span<const std::uint8_t> bytes);

}  // namespace rs41sim
