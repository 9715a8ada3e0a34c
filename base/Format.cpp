#include "base/Format.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>

namespace windlark {

namespace {

std::string ToChars(double value, std::chars_format fmt, int precision) {
  std::array<char, 400> buf{};
  auto res = std::to_chars(buf.data(), buf.data() + buf.size(), value, fmt, precision);
  return std::string(buf.data(), res.ptr);
}

// Drop trailing zeros of a fraction and a bare point.
void TrimFraction(std::string& text) {
  const auto point = text.find('.');
  if (point == std::string::npos) return;
  auto end = text.size();
  while (end > point + 1 && text[end - 1] == '0') --end;
  if (end == point + 1) --end;
  text.erase(end);
}

}  // namespace

double RoundHalfEven(double value) {
  return std::nearbyint(value);
}

std::string FormatFixed(double value, int decimals) {
  if (!std::isfinite(value)) return {};
  std::string text = ToChars(value, std::chars_format::fixed, decimals);
  // A value that rounds to zero is shown as zero, never "-0.0".
  if (text.front() == '-' && text.find_first_not_of("-0.") == std::string::npos) text.erase(0, 1);
  return text;
}

std::string FormatZeroPadded(double value, int intDigits, int decimals) {
  std::string text = FormatFixed(value, decimals);
  if (text.empty()) return text;
  const bool negative = text.front() == '-';
  const std::size_t start = negative ? 1 : 0;
  auto point = text.find('.');
  if (point == std::string::npos) point = text.size();
  const auto have = static_cast<int>(point - start);
  if (have < intDigits) text.insert(start, static_cast<std::size_t>(intDigits - have), '0');
  return text;
}

std::string FormatWidth(double value, int width, int decimals) {
  std::string text = FormatFixed(value, decimals);
  if (static_cast<int>(text.size()) < width) {
    text.insert(0, static_cast<std::size_t>(width) - text.size(), ' ');
  }
  return text;
}

std::string FormatSignificant(double value, int digits, char decimalSeparator) {
  if (!std::isfinite(value)) return {};
  if (value == 0.0) return "0";
  const int exponent = static_cast<int>(std::floor(std::log10(std::fabs(value))));
  std::string text;
  if (exponent < -5 || exponent >= digits) {
    text = ToChars(value, std::chars_format::general, digits);
  } else {
    text = ToChars(value, std::chars_format::fixed, std::max(0, digits - 1 - exponent));
    TrimFraction(text);
  }
  if (decimalSeparator != '.') {
    if (auto point = text.find('.'); point != std::string::npos) text[point] = decimalSeparator;
  }
  return text;
}

std::string FormatShortest(double value) {
  if (!std::isfinite(value)) return {};
  std::array<char, 64> buf{};
  auto res = std::to_chars(buf.data(), buf.data() + buf.size(), value);
  return std::string(buf.data(), res.ptr);
}

std::string FormatInt(long long value, int width) {
  std::array<char, 32> buf{};
  const bool negative = value < 0;
  const unsigned long long magnitude = negative ? 0ULL - static_cast<unsigned long long>(value)
                                                : static_cast<unsigned long long>(value);
  auto res = std::to_chars(buf.data(), buf.data() + buf.size(), magnitude);
  std::string digits(buf.data(), res.ptr);
  if (static_cast<int>(digits.size()) < width) {
    digits.insert(0, static_cast<std::size_t>(width) - digits.size(), '0');
  }
  return negative ? "-" + digits : digits;
}

}  // namespace windlark
