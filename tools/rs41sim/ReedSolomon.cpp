#include "ReedSolomon.h"

#include <stdexcept>
#include <vector>

namespace rs41sim {
namespace {

constexpr unsigned kFieldPoly = 0x11D;

struct GaloisTables {
  std::array<std::uint8_t, 512> exp{};  // doubled so Mul() needs no modulo
  std::array<int, 256> log{};
  std::array<std::uint8_t, kRsParityLen + 1> generator{};  // ascending degree, monic

  GaloisTables() {
    unsigned value = 1;
    for (std::size_t i = 0; i < 255; ++i) {
      exp[i] = static_cast<std::uint8_t>(value);
      log[value] = static_cast<int>(i);
      value <<= 1;
      if ((value & 0x100u) != 0) value ^= kFieldPoly;
    }
    for (std::size_t i = 255; i < exp.size(); ++i) exp[i] = exp[i - 255];

    // g(x) = prod_{i=0}^{23} (x - alpha^i); minus equals plus in GF(2^m).
    generator[0] = 1;
    for (std::size_t root = 0; root < kRsParityLen; ++root) {
      const std::uint8_t alphaPow = exp[root];
      for (std::size_t k = root + 1; k > 0; --k) {
        generator[k] = static_cast<std::uint8_t>(generator[k - 1] ^ Mul(generator[k], alphaPow));
      }
      generator[0] = Mul(generator[0], alphaPow);
    }
  }

  [[nodiscard]] std::uint8_t Mul(std::uint8_t a, std::uint8_t b) const {
    if (a == 0 || b == 0) return 0;
    return exp[static_cast<std::size_t>(log[a] + log[b])];
  }
};

const GaloisTables& Tables() {
  static const GaloisTables tables;
  return tables;
}

}  // namespace

std::array<std::uint8_t, kRsParityLen> RsParity(std::span<const std::uint8_t> data) {
  if (data.size() > kRsMaxDataLen) throw std::invalid_argument("RS data longer than 231 bytes");
  const GaloisTables& gf = Tables();
  // Division LFSR fed from the highest-degree symbol down; leaves d(x)*x^24 mod g(x).
  std::array<std::uint8_t, kRsParityLen> reg{};
  for (std::size_t j = data.size(); j-- > 0;) {
    const std::uint8_t feedback = static_cast<std::uint8_t>(data[j] ^ reg[kRsParityLen - 1]);
    for (std::size_t i = kRsParityLen - 1; i > 0; --i) {
      reg[i] = static_cast<std::uint8_t>(reg[i - 1] ^ gf.Mul(feedback, gf.generator[i]));
    }
    reg[0] = gf.Mul(feedback, gf.generator[0]);
  }
  return reg;
}

std::array<std::uint8_t, 2 * kRsParityLen> FrameParity(std::span<const std::uint8_t> frame) {
  if (frame.size() <= kFrameDataOffset || frame.size() > kFrameMaxLen) {
    throw std::invalid_argument("frame length unsuitable for RS parity");
  }
  std::vector<std::uint8_t> even;
  std::vector<std::uint8_t> odd;
  for (std::size_t pos = kFrameDataOffset; pos < frame.size(); ++pos) {
    ((pos - kFrameDataOffset) % 2 == 0 ? even : odd).push_back(frame[pos]);
  }
  const auto first = RsParity(even);
  const auto second = RsParity(odd);
  std::array<std::uint8_t, 2 * kRsParityLen> parity{};
  for (std::size_t i = 0; i < kRsParityLen; ++i) {
    parity[i] = first[i];
    parity[kRsParityLen + i] = second[i];
  }
  return parity;
}

void WriteFrameParity(std::span<std::uint8_t> frame) {
  const auto parity = FrameParity(frame);
  for (std::size_t i = 0; i < parity.size(); ++i) frame[kFrameParityOffset + i] = parity[i];
}

}  // namespace rs41sim
