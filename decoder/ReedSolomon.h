#pragma once

#include <array>
#include <cstdint>
#include <span>

namespace windlark {

// RS(255,231) over GF(2^8) with polynomial 0x11D and generator roots alpha^0..alpha^23, the code
// the sonde protects its frames with. Codeword index k holds the coefficient of x^k: the 24
// parity symbols at 0..23, the data from 24 up.
inline constexpr int kRsLength = 255;
inline constexpr int kRsParity = 24;

using RsCodeword = std::array<std::uint8_t, kRsLength>;

// Corrects `word` in place from up to 24 erasures (indices whose symbols are unknown) and as
// many errors besides as 2 * errors + erasures <= 24 allows. Symbols at `usedLength` and above
// belong to the shortened part and must be zero; a correction there is a failure. Returns the
// number of symbols changed, or -1 when the word cannot be corrected; `word` is then unchanged.
int RsDecode(RsCodeword& word, std::span<const int> erasures, int usedLength = kRsLength);

// The 24 parity symbols for the data in word[24 .. 254].
void RsEncode(RsCodeword& word);

}  // namespace windlark
