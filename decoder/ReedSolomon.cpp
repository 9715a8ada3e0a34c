#include "decoder/ReedSolomon.h"

#include <algorithm>

namespace windlark {

namespace {

constexpr unsigned kFieldPolynomial = 0x11D;

struct Galois {
  std::array<std::uint8_t, 512> exp{};  // doubled so that a product needs no modulo
  std::array<int, 256> log{};
  std::array<std::uint8_t, kRsParity + 1> generator{};  // ascending degree, monic

  Galois() {
    unsigned value = 1;
    for (int i = 0; i < 255; ++i) {
      exp[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(value);
      log[value] = i;
      value <<= 1U;
      if ((value & 0x100U) != 0) value ^= kFieldPolynomial;
    }
    for (std::size_t i = 255; i < exp.size(); ++i) exp[i] = exp[i - 255];
    generator[0] = 1;
    for (int root = 0; root < kRsParity; ++root) {
      const std::uint8_t alpha = Pow(root);
      for (auto k = static_cast<std::size_t>(root) + 1; k > 0; --k) {
        generator[k] = static_cast<std::uint8_t>(generator[k - 1] ^ Mul(generator[k], alpha));
      }
      generator[0] = Mul(generator[0], alpha);
    }
  }

  std::uint8_t Mul(std::uint8_t a, std::uint8_t b) const {
    if (a == 0 || b == 0) return 0;
    const int sum = log[a] + log[b];
    return exp[static_cast<std::size_t>(sum)];
  }
  std::uint8_t Div(std::uint8_t a, std::uint8_t b) const {
    if (a == 0) return 0;
    return exp[static_cast<std::size_t>(log[a] + 255 - log[b])];
  }
  std::uint8_t Pow(int n) const { return exp[static_cast<std::size_t>(((n % 255) + 255) % 255)]; }
};

const Galois& Gf() {
  static const Galois gf;
  return gf;
}

using Poly = std::array<std::uint8_t, kRsParity + 1>;

// p(x) at x = alpha^power, p of degree <= degree.
std::uint8_t Evaluate(const Galois& gf, const std::uint8_t* p, int degree, int power) {
  std::uint8_t sum = 0;
  const std::uint8_t x = gf.Pow(power);
  for (int i = degree; i >= 0; --i) {
    sum = static_cast<std::uint8_t>(gf.Mul(sum, x) ^ p[static_cast<std::size_t>(i)]);
  }
  return sum;
}

}  // namespace

void RsEncode(RsCodeword& word) {
  const Galois& gf = Gf();
  std::array<std::uint8_t, kRsParity> reg{};
  for (int j = kRsLength - 1; j >= kRsParity; --j) {
    const auto feedback =
        static_cast<std::uint8_t>(word[static_cast<std::size_t>(j)] ^ reg[kRsParity - 1]);
    for (std::size_t i = kRsParity - 1; i > 0; --i) {
      reg[i] = static_cast<std::uint8_t>(reg[i - 1] ^ gf.Mul(feedback, gf.generator[i]));
    }
    reg[0] = gf.Mul(feedback, gf.generator[0]);
  }
  std::copy(reg.begin(), reg.end(), word.begin());
}

int RsDecode(RsCodeword& word, std::span<const int> erasures, int usedLength) {
  const Galois& gf = Gf();
  if (erasures.size() > static_cast<std::size_t>(kRsParity)) return -1;
  usedLength = std::clamp(usedLength, kRsParity + 1, kRsLength);

  std::array<std::uint8_t, kRsParity> syndromes{};
  bool clean = true;
  for (int i = 0; i < kRsParity; ++i) {
    const std::uint8_t s = Evaluate(gf, word.data(), usedLength - 1, i);
    syndromes[static_cast<std::size_t>(i)] = s;
    clean = clean && s == 0;
  }
  if (clean) return 0;

  // Berlekamp-Massey started from the erasure locator, so that the errors found are the ones
  // besides the erasures.
  Poly lambda{};
  lambda[0] = 1;
  int erasureCount = 0;
  for (const int position : erasures) {
    if (position < 0 || position >= usedLength) return -1;
    const std::uint8_t x = gf.Pow(position);
    for (std::size_t k = static_cast<std::size_t>(erasureCount) + 1; k > 0; --k) {
      lambda[k] = static_cast<std::uint8_t>(lambda[k] ^ gf.Mul(lambda[k - 1], x));
    }
    ++erasureCount;
  }
  Poly previous = lambda;
  int degree = erasureCount;
  int shift = 1;
  std::uint8_t lastDiscrepancy = 1;
  for (int r = erasureCount; r < kRsParity; ++r) {
    std::uint8_t delta = 0;
    for (int j = 0; j <= degree && j <= r; ++j) {
      delta = static_cast<std::uint8_t>(delta ^ gf.Mul(lambda[static_cast<std::size_t>(j)],
                                                       syndromes[static_cast<std::size_t>(r - j)]));
    }
    if (delta == 0) {
      ++shift;
      continue;
    }
    const std::uint8_t factor = gf.Div(delta, lastDiscrepancy);
    Poly next = lambda;
    for (int j = 0; j + shift <= kRsParity; ++j) {
      const int at = j + shift;
      next[static_cast<std::size_t>(at)] =
          static_cast<std::uint8_t>(next[static_cast<std::size_t>(at)] ^
                                    gf.Mul(factor, previous[static_cast<std::size_t>(j)]));
    }
    if (2 * degree <= r + erasureCount) {
      degree = r + 1 + erasureCount - degree;
      previous = lambda;
      lastDiscrepancy = delta;
      shift = 1;
    } else {
      ++shift;
    }
    lambda = next;
  }
  int actualDegree = kRsParity;
  while (actualDegree > 0 && lambda[static_cast<std::size_t>(actualDegree)] == 0) --actualDegree;
  if (actualDegree != degree || 2 * degree - erasureCount > kRsParity) return -1;

  // Roots of the locator: position k is in error when lambda(alpha^-k) = 0.
  std::array<int, kRsParity> positions{};
  int found = 0;
  for (int k = 0; k < kRsLength; ++k) {
    if (Evaluate(gf, lambda.data(), degree, -k) != 0) continue;
    if (k >= usedLength || found == degree) return -1;
    positions[static_cast<std::size_t>(found++)] = k;
  }
  if (found != degree) return -1;

  // Forney: omega = S * lambda mod x^24; with the first root alpha^0 the value at X is
  // X * omega(1/X) / lambda'(1/X).
  std::array<std::uint8_t, kRsParity> omega{};
  for (int i = 0; i < kRsParity; ++i) {
    std::uint8_t sum = 0;
    for (int j = 0; j <= i && j <= degree; ++j) {
      sum = static_cast<std::uint8_t>(sum ^ gf.Mul(lambda[static_cast<std::size_t>(j)],
                                                   syndromes[static_cast<std::size_t>(i - j)]));
    }
    omega[static_cast<std::size_t>(i)] = sum;
  }
  RsCodeword corrected = word;
  int changed = 0;
  for (int n = 0; n < found; ++n) {
    const int k = positions[static_cast<std::size_t>(n)];
    std::uint8_t derivative = 0;
    for (int j = 1; j <= degree; j += 2) {
      derivative = static_cast<std::uint8_t>(
          derivative ^ gf.Mul(lambda[static_cast<std::size_t>(j)], gf.Pow(-k * (j - 1))));
    }
    if (derivative == 0) return -1;
    const std::uint8_t value =
        gf.Mul(gf.Pow(k), gf.Div(Evaluate(gf, omega.data(), kRsParity - 1, -k), derivative));
    if (value != 0) ++changed;
    corrected[static_cast<std::size_t>(k)] ^= value;
  }
  // A decoder can land on a word that is not a codeword when it is overloaded: check.
  for (int i = 0; i < kRsParity; ++i) {
    if (Evaluate(gf, corrected.data(), usedLength - 1, i) != 0) return -1;
  }
  word = corrected;
  return changed;
}

}  // namespace windlark
