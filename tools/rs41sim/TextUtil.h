#pragma once

#include <charconv>
#include <concepts>
#include <string>

namespace rs41sim {

// Locale-independent integer formatting for messages.
template <std::integral T>
std::string ToText(T value, int base = 10) {
  char buffer[72];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, base);
  return std::string(buffer, result.ptr);
}

}  // namespace rs41sim
