#include "decoder/FrameCorrection.h"

#include <algorithm>
#include <array>
#include <bit>
#include <vector>

#include "decoder/BlockWalk.h"
#include "decoder/Crc.h"
#include "decoder/ReedSolomon.h"

namespace windlark {

namespace {

constexpr int kShortFrameBytes = 320;
constexpr int kParityStart = 8;
constexpr int kDataStart = 56;
constexpr int kCodewords = 2;
constexpr std::uint8_t kShortType = 0x0F;
constexpr std::uint8_t kLongType = 0xF0;
// Erasure counts tried in turn; each leaves room for (24 - n) / 2 errors besides.
constexpr std::array<int, 9> kErasureCounts = {0, 4, 8, 12, 14, 16, 18, 20, 22};
// Distinct corrections kept per codeword for the frame-level check.
constexpr std::size_t kCandidatesPerCodeword = 4;

struct Pin {
  int position;
  std::uint8_t value;
};

// Block ids and lengths at their places in the two layouts.
constexpr std::array<Pin, 10> kClassicPins = {{{57, kStatusBlockId},
                                               {58, kStatusBlockLength},
                                               {101, kPtuBlockId},
                                               {102, kPtuBlockLength},
                                               {147, kGpsTimeBlockId},
                                               {148, kGpsTimeBlockLength},
                                               {181, kGpsRawBlockId},
                                               {182, 0x59},
                                               {274, kGpsPositionBlockId},
                                               {275, kGpsPositionBlockLength}}};
constexpr std::array<Pin, 10> kCurrentPins = {{{57, kTagBlockId},
                                               {58, 0x0A},
                                               {71, kStatusBlockId},
                                               {72, kStatusBlockLength},
                                               {115, kPtuBlockId},
                                               {116, kPtuBlockLength},
                                               {161, kGnssPositionBlockId},
                                               {162, kGnssPositionBlockLength},
                                               {203, kGnssSatellitesBlockId},
                                               {204, kGnssSatellitesBlockLength}}};

// Frame offset of symbol k of codeword c.
int FrameOffset(int c, int k) {
  return k < kRsParity ? kParityStart + c * kRsParity + k : kDataStart + 2 * (k - kRsParity) + c;
}

struct Candidate {
  RsCodeword word;
  int changed;
};

std::vector<Candidate> CodewordCandidates(std::span<const std::uint8_t> frame,
                                          std::span<const float> reliability,
                                          const std::vector<bool>& pinned, int c, int frameEnd) {
  const int used = kRsParity + (frameEnd - kDataStart - c + 1) / 2;
  RsCodeword received{};
  std::vector<std::pair<float, int>> order;
  for (int k = 0; k < used; ++k) {
    const auto at = static_cast<std::size_t>(FrameOffset(c, k));
    received[static_cast<std::size_t>(k)] = frame[at];
    if (!pinned[at]) order.emplace_back(reliability[at], k);
  }
  std::sort(order.begin(), order.end());
  std::vector<Candidate> candidates;
  std::vector<int> erasures;
  for (const int count : kErasureCounts) {
    if (static_cast<std::size_t>(count) > order.size()) break;
    erasures.clear();
    for (int n = 0; n < count; ++n) erasures.push_back(order[static_cast<std::size_t>(n)].second);
    RsCodeword word = received;
    if (RsDecode(word, erasures, used) < 0) continue;
    int changed = 0;
    for (std::size_t k = 0; k < word.size(); ++k) changed += word[k] != received[k] ? 1 : 0;
    const bool known = std::any_of(candidates.begin(), candidates.end(),
                                   [&](const Candidate& other) { return other.word == word; });
    if (!known) candidates.push_back({word, changed});
    // Nothing to correct: no other answer is more likely.
    if (changed == 0 || candidates.size() == kCandidatesPerCodeword) break;
  }
  return candidates;
}

void Apply(std::span<std::uint8_t> frame, const RsCodeword& word, int c, int frameEnd) {
  const int used = kRsParity + (frameEnd - kDataStart - c + 1) / 2;
  for (int k = 0; k < used; ++k) {
    frame[static_cast<std::size_t>(FrameOffset(c, k))] = word[static_cast<std::size_t>(k)];
  }
}

int TryPins(std::span<std::uint8_t, kLongFrameBytes> frame, std::span<const float> reliability,
            std::span<const Pin> pins, int frameEnd) {
  std::array<std::uint8_t, kLongFrameBytes> work{};
  std::copy(frame.begin(), frame.end(), work.begin());
  std::vector<bool> pinned(kLongFrameBytes, false);
  work[kDataStart] = frameEnd == kShortFrameBytes ? kShortType : kLongType;
  pinned[kDataStart] = true;
  for (const Pin& pin : pins) {
    work[static_cast<std::size_t>(pin.position)] = pin.value;
    pinned[static_cast<std::size_t>(pin.position)] = true;
  }
  std::array<std::vector<Candidate>, kCodewords> candidates;
  for (int c = 0; c < kCodewords; ++c) {
    candidates[static_cast<std::size_t>(c)] =
        CodewordCandidates(work, reliability, pinned, c, frameEnd);
    if (candidates[static_cast<std::size_t>(c)].empty()) return -1;
  }
  // Pairs in order of the erasures they needed; the first whose blocks all pass wins.
  const std::size_t n0 = candidates[0].size();
  const std::size_t n1 = candidates[1].size();
  for (std::size_t sum = 0; sum + 2 <= n0 + n1; ++sum) {
    for (std::size_t i = 0; i < n0; ++i) {
      if (sum < i || sum - i >= n1) continue;
      Apply(work, candidates[0][i].word, 0, frameEnd);
      Apply(work, candidates[1][sum - i].word, 1, frameEnd);
      if (!AllBlocksPass(work, frameEnd)) continue;
      int changed = 0;
      for (int at = 0; at < frameEnd; ++at) {
        const auto index = static_cast<std::size_t>(at);
        changed += work[index] != frame[index] ? 1 : 0;
      }
      std::copy(work.begin(), work.begin() + frameEnd, frame.begin());
      return changed;
    }
  }
  return -1;
}

}  // namespace

bool AllBlocksPass(std::span<const std::uint8_t> frame, int frameEnd) {
  if (frameEnd > static_cast<int>(frame.size())) return false;
  int pos = kFirstBlockPos;
  while (pos + 1 < frameEnd) {
    const int length = frame[static_cast<std::size_t>(pos) + 1];
    const int crcAt = pos + 2 + length;
    if (crcAt + 2 > frameEnd) return false;
    const std::uint16_t crc =
        Crc16(frame.subspan(static_cast<std::size_t>(pos) + 2, static_cast<std::size_t>(length)));
    const unsigned stored = static_cast<unsigned>(frame[static_cast<std::size_t>(crcAt)]) |
                            static_cast<unsigned>(frame[static_cast<std::size_t>(crcAt) + 1]) << 8U;
    if (crc != stored) return false;
    pos = crcAt + 2;
  }
  return pos == frameEnd;
}

int CorrectFrame(std::span<std::uint8_t, kLongFrameBytes> frame,
                 std::span<const float, kLongFrameBytes> reliability) {
  const unsigned type = frame[kDataStart];
  const int vote = std::popcount(type & 0x0FU) - std::popcount(type & 0xF0U);
  const int frameEnd = vote >= 0 ? kShortFrameBytes : kLongFrameBytes;
  // Every block intact: only parity symbols may still be wrong, and the frame is kept as is
  // unless the correction leaves every block intact too.
  if (AllBlocksPass(frame, frameEnd)) {
    std::array<std::uint8_t, kLongFrameBytes> work{};
    std::copy(frame.begin(), frame.end(), work.begin());
    const std::vector<bool> none(kLongFrameBytes, false);
    for (int c = 0; c < kCodewords; ++c) {
      const auto found = CodewordCandidates(work, reliability, none, c, frameEnd);
      if (!found.empty()) Apply(work, found.front().word, c, frameEnd);
    }
    if (!AllBlocksPass(work, frameEnd)) return 0;
    int changed = 0;
    for (int at = 0; at < frameEnd; ++at) {
      changed += work[static_cast<std::size_t>(at)] != frame[static_cast<std::size_t>(at)] ? 1 : 0;
    }
    std::copy(work.begin(), work.begin() + frameEnd, frame.begin());
    return changed;
  }
  const auto matches = [&](std::span<const Pin> pins) {
    return std::count_if(pins.begin(), pins.end(), [&](const Pin& pin) {
      return frame[static_cast<std::size_t>(pin.position)] == pin.value;
    });
  };
  const long classic = matches(kClassicPins);
  const long current = matches(kCurrentPins);
  const std::span<const Pin> likely =
      classic >= current ? std::span<const Pin>(kClassicPins) : std::span<const Pin>(kCurrentPins);
  if (std::max(classic, current) * 2 >= static_cast<long>(likely.size())) {
    const int changed = TryPins(frame, reliability, likely, frameEnd);
    if (changed >= 0) return changed;
  }
  return TryPins(frame, reliability, {}, frameEnd);
}

}  // namespace windlark
