#pragma once

#include <cstdint>
#include <string>

// Number formatting for everything the program shows or writes. Always "." unless a caller
// passes another separator: the user's locale must never change data texts.
namespace windlark {

// Round to nearest, halves to even (the rule wherever a value is rounded to an integer).
double RoundHalfEven(double value);

// Fixed-point text with `decimals` digits after the point ("0.000" style); "-0.0" never appears.
std::string FormatFixed(double value, int decimals);

// Fixed-point text with at least `intDigits` integer digits, zero-padded ("000.000" style).
std::string FormatZeroPadded(double value, int intDigits, int decimals);

// printf-style "%W.Df": fixed with `decimals`, left-padded with blanks to `width`.
std::string FormatWidth(double value, int width, int decimals);

// Up to `digits` significant digits, no trailing zeros, no exponent for ordinary values.
std::string FormatSignificant(double value, int digits, char decimalSeparator = '.');

// Shortest text that reads back as the same double.
std::string FormatShortest(double value);

// Decimal integer, zero-padded to `width` digits.
std::string FormatInt(long long value, int width = 0);

}  // namespace windlark
