#include "HexFrames.h"

#include <fstream>
#include <stdexcept>

#include "TextUtil.h"

namespace rs41sim {
namespace {

constexpr std::size_t kMinFrameBytes = 8;

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

}  // namespace

bool ParseHexLine(std::string_view line, HexFrame& frame, std::string& error) {
  std::size_t pos = 0;
  while (pos < line.size() && IsSpace(line[pos])) ++pos;
  if (pos == line.size() || line[pos] == '#' || line[pos] == '{') return false;

  frame.bytes.clear();
  frame.tag = FrameTag::kNone;
  // Hex runs until the first character that is neither hex nor blank; that starts the tail.
  int pending = -1;
  for (; pos < line.size(); ++pos) {
    const char c = line[pos];
    if (IsSpace(c)) {
      if (pending >= 0) {
        error = "split hex byte";
        return false;
      }
      continue;
    }
    const int value = HexValue(c);
    if (value < 0) break;
    if (pending < 0) {
      pending = value;
    } else {
      frame.bytes.push_back(static_cast<std::uint8_t>(pending * 16 + value));
      pending = -1;
    }
  }
  if (pending >= 0) {
    error = "odd number of hex digits";
    return false;
  }
  if (frame.bytes.size() < kMinFrameBytes) {
    error = "fewer than 16 hex digits";
    return false;
  }
  const std::string_view tail = line.substr(pos);
  if (tail.find("[OK]") != std::string_view::npos) {
    frame.tag = FrameTag::kOk;
  } else if (tail.find("[NO]") != std::string_view::npos) {
    frame.tag = FrameTag::kNo;
  }
  return true;
}

std::vector<HexFrame> ReadHexFrames(const std::string& path) {
  std::ifstream in(path);
  if (!in) throw std::runtime_error("cannot open '" + path + "'");
  std::vector<HexFrame> frames;
  std::string line;
  std::size_t lineNumber = 0;
  while (std::getline(in, line)) {
    ++lineNumber;
    HexFrame frame;
    std::string error;
    if (ParseHexLine(line, frame, error)) {
      frame.lineNumber = lineNumber;
      frames.push_back(std::move(frame));
    } else if (!error.empty()) {
      throw std::runtime_error(path + ":" + ToText(lineNumber) + ": " + error);
    }
  }
  return frames;
}

std::string ToHex(std::span<const std::uint8_t> bytes) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string text;
  text.reserve(bytes.size() * 2);
  for (const std::uint8_t b : bytes) {
    text.push_back(kDigits[b >> 4]);
    text.push_back(kDigits[b & 0x0F]);
  }
  return text;
}

}  // namespace rs41sim
