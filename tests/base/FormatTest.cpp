#include "base/Format.h"

#include <gtest/gtest.h>

#include "base/Json.h"

namespace windlark {
namespace {

TEST(Format, FixedAndPaddedTexts) {
  struct Case {
    std::string got;
    std::string want;
  };
  const Case cases[] = {
      {FormatFixed(14035.75168, 1), "14035.8"},
      {FormatFixed(-0.001, 2), "0.00"},
      {FormatFixed(-0.06, 1), "-0.1"},
      {FormatZeroPadded(401.25, 3, 3), "401.250"},
      {FormatZeroPadded(5.5, 3, 3), "005.500"},
      {FormatWidth(0.0, 5, 2), " 0.00"},
      {FormatWidth(-12.345, 5, 2), "-12.35"},
      {FormatSignificant(29 * 0.1, 15), "2.9"},
      {FormatSignificant(29 * 0.1, 15, ','), "2,9"},
      {FormatSignificant(3.0, 15), "3"},
      {FormatSignificant(0.0, 15), "0"},
      {FormatShortest(0.3), "0.3"},
      {FormatInt(7, 2), "07"},
      {FormatInt(-7, 3), "-007"},
      {FormatInt(2024, 2), "2024"},
  };
  for (const auto& c : cases) EXPECT_EQ(c.got, c.want);
}

TEST(Format, RoundsHalvesToEven) {
  EXPECT_EQ(RoundHalfEven(0.5), 0.0);
  EXPECT_EQ(RoundHalfEven(1.5), 2.0);
  EXPECT_EQ(RoundHalfEven(2.5), 2.0);
  EXPECT_EQ(RoundHalfEven(-0.5), -0.0);
  EXPECT_EQ(RoundHalfEven(-1.5), -2.0);
}

TEST(Format, NonFiniteValuesNeverBecomeText) {
  EXPECT_EQ(FormatFixed(std::numeric_limits<double>::quiet_NaN(), 1), "");
  EXPECT_EQ(FormatSignificant(std::numeric_limits<double>::infinity(), 15), "");
}

TEST(Json, StringsStayValidWhateverTheBytes) {
  EXPECT_EQ(JsonString("L1830070"), "\"L1830070\"");
  EXPECT_EQ(JsonString("a\"b\\c\n"), "\"a\\\"b\\\\c\\u000a\"");
  EXPECT_EQ(JsonString("12.3 \xC2\xB0N"), "\"12.3 \xC2\xB0N\"");  // UTF-8 kept
  EXPECT_EQ(JsonString(std::string("\xFF\x01", 2)), "\"\xC3\xBF\\u0001\"");
}

TEST(Json, ObjectKeepsOrderAndWritesNullForNonFinite) {
  JsonObject json;
  json.Add("type", "RS41").Add("frame", 12).AddNumber("freq", 402.0, 3).Add("ok", true);
  json.AddNumber("bad", std::numeric_limits<double>::quiet_NaN());
  EXPECT_EQ(json.Str(), R"({"type":"RS41","frame":12,"freq":402.000,"ok":true,"bad":null})");
}

}  // namespace
}  // namespace windlark
