#include "decoder/Crc.h"

#include <gtest/gtest.h>

#include <string_view>

namespace windlark {
namespace {

TEST(Crc, CheckValueOfTheStandardString) {
  constexpr std::string_view kCheck = "123456789";
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(kCheck.data());
  EXPECT_EQ(Crc16(std::span(bytes, kCheck.size())), 0x29B1);
}

TEST(Crc, BlockCheckReadsTheStoredValueLittleEndian) {
  RawFrame frame{};
  for (std::size_t k = 0; k < 9; ++k) frame[10 + k] = static_cast<std::uint8_t>('1' + k);
  frame[19] = 0xB1;
  frame[20] = 0x29;
  EXPECT_TRUE(BlockCrcOk(frame, 9, 10));
  std::swap(frame[19], frame[20]);
  EXPECT_FALSE(BlockCrcOk(frame, 9, 10));
}

TEST(Crc, RangeOutsideTheFrameFails) {
  RawFrame frame{};
  EXPECT_FALSE(BlockCrcOk(frame, 10, 490));
  EXPECT_FALSE(BlockCrcOk(frame, -1, 0));
}

}  // namespace
}  // namespace windlark
