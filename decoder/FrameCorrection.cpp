#include "decoder/FrameCorrection.h"

#include <algorithm>
#include <array>
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
constexpr std::array<int, 12> kErasureCounts = {0, 2, 4, 6, 8, 10, 12, 14, 16, 18, 20, 22};
// Above every reliability the receiver gives.
constexpr float kSure = 1e30F;
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

// A short frame ends in a padding block of zeros whose CRC is therefore fixed: 21 known bytes
// in the classic layout (from byte 299), 72 in the current one (from byte 248).
constexpr int kClassicPaddingStart = 299;
constexpr int kCurrentPaddingStart = 248;

std::vector<Pin> WithPadding(std::span<const Pin> pins, int paddingStart) {
  std::vector<Pin> all(pins.begin(), pins.end());
  const int length = kShortFrameBytes - paddingStart - 4;
  std::vector<std::uint8_t> block(static_cast<std::size_t>(length), 0);
  const std::uint16_t crc = Crc16(block);
  all.push_back({paddingStart, kPaddingBlockId});
  all.push_back({paddingStart + 1, static_cast<std::uint8_t>(length)});
  for (int at = paddingStart + 2; at < kShortFrameBytes - 2; ++at) all.push_back({at, 0});
  all.push_back({kShortFrameBytes - 2, static_cast<std::uint8_t>(crc & 0xFFU)});
  all.push_back({kShortFrameBytes - 1, static_cast<std::uint8_t>(crc >> 8U)});
  return all;
}

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
  std::vector<Candidate> candidates;
  std::vector<int> erasures;
  bool sorted = false;
  for (const int count : kErasureCounts) {
    if (static_cast<std::size_t>(count) > order.size()) break;
    // Most frames need no erasure at all: the order is only worked out when one is needed.
    if (count > 0 && !sorted) {
      std::sort(order.begin(), order.end());
      sorted = true;
    }
    erasures.clear();
    for (int n = 0; n < count; ++n) erasures.push_back(order[static_cast<std::size_t>(n)].second);
    RsCodeword word = received;
    if (RsDecode(word, erasures, used) < 0) continue;
    int changed = 0;
    bool touchesPinned = false;
    for (int k = 0; k < used; ++k) {
      const auto index = static_cast<std::size_t>(k);
      if (word[index] == received[index]) continue;
      ++changed;
      touchesPinned = touchesPinned || pinned[static_cast<std::size_t>(FrameOffset(c, k))];
    }
    // A known byte never needs correcting: such an answer is a wrong codeword.
    if (touchesPinned) continue;
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

// Copies the corrected frame over the received one; returns how many bytes it changed.
int TakeOver(std::span<std::uint8_t> frame, std::span<const std::uint8_t> corrected, int frameEnd) {
  int changed = 0;
  for (int at = 0; at < frameEnd; ++at) {
    const auto index = static_cast<std::size_t>(at);
    changed += corrected[index] != frame[index] ? 1 : 0;
  }
  std::copy(corrected.begin(), corrected.begin() + frameEnd, frame.begin());
  return changed;
}

bool BlockCrcPasses(std::span<const std::uint8_t> frame, int pos, int length) {
  const int crcEnd = pos + 2 + length;
  const auto crcAt = static_cast<std::size_t>(crcEnd);
  const std::uint16_t crc =
      Crc16(frame.subspan(static_cast<std::size_t>(pos) + 2, static_cast<std::size_t>(length)));
  const unsigned stored =
      static_cast<unsigned>(frame[crcAt]) | static_cast<unsigned>(frame[crcAt + 1]) << 8U;
  return crc == stored;
}

// Blocks that pass their CRC are known to be right: none of their bytes is an error, so the
// code's whole strength goes to the others. Returns how many bytes were newly pinned.
int PinGoodBlocks(std::span<const std::uint8_t> frame, std::vector<bool>& pinned, int frameEnd) {
  int added = 0;
  int pos = kFirstBlockPos;
  while (pos + 1 < frameEnd) {
    const int length = frame[static_cast<std::size_t>(pos) + 1];
    const int next = pos + length + 4;
    if (next > frameEnd) break;
    const bool good = BlockCrcPasses(frame, pos, length);
    if (good) {
      for (int at = pos; at < next; ++at) {
        if (!pinned[static_cast<std::size_t>(at)]) ++added;
        pinned[static_cast<std::size_t>(at)] = true;
      }
    } else if (!pinned[static_cast<std::size_t>(pos) + 1]) {
      break;  // a length byte nobody vouches for may lead anywhere
    }
    pos = next;
  }
  return added;
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
  PinGoodBlocks(work, pinned, frameEnd);
  // One codeword corrected can make blocks pass that pin bytes of the other: a few rounds.
  for (int round = 0; round < 3; ++round) {
    std::array<std::vector<Candidate>, kCodewords> candidates;
    for (int c = 0; c < kCodewords; ++c) {
      candidates[static_cast<std::size_t>(c)] =
          CodewordCandidates(work, reliability, pinned, c, frameEnd);
    }
    const std::size_t n0 = candidates[0].size();
    const std::size_t n1 = candidates[1].size();
    // Pairs in order of the erasures they needed; the first whose blocks all pass wins.
    for (std::size_t sum = 0; n0 > 0 && n1 > 0 && sum + 2 <= n0 + n1; ++sum) {
      for (std::size_t i = 0; i < n0; ++i) {
        if (sum < i || sum - i >= n1) continue;
        std::array<std::uint8_t, kLongFrameBytes> trial = work;
        Apply(trial, candidates[0][i].word, 0, frameEnd);
        Apply(trial, candidates[1][sum - i].word, 1, frameEnd);
        if (!AllBlocksPass(trial, frameEnd)) continue;
        return TakeOver(frame, trial, frameEnd);
      }
    }
    // Keep only what the CRCs confirm of each codeword's best answer, and go again.
    int added = 0;
    for (int c = 0; c < kCodewords; ++c) {
      for (const Candidate& candidate : candidates[static_cast<std::size_t>(c)]) {
        std::array<std::uint8_t, kLongFrameBytes> trial = work;
        Apply(trial, candidate.word, c, frameEnd);
        std::vector<bool> confirmed = pinned;
        if (PinGoodBlocks(trial, confirmed, frameEnd) == 0) continue;
        // Only the newly confirmed bytes are taken over.
        for (std::size_t at = 0; at < confirmed.size(); ++at) {
          if (confirmed[at] && !pinned[at]) work[at] = trial[at];
        }
        added += static_cast<int>(std::count(confirmed.begin(), confirmed.end(), true) -
                                  std::count(pinned.begin(), pinned.end(), true));
        pinned = confirmed;
        break;
      }
    }
    if (added == 0) break;
  }
  return -1;
}

// The layout's known bytes first (with a short frame's padding, then without), then none.
int CorrectByLayout(std::span<std::uint8_t, kLongFrameBytes> frame,
                    std::span<const float, kLongFrameBytes> reliability, int frameEnd) {
  const auto matches = [&](std::span<const Pin> pins) {
    return std::count_if(pins.begin(), pins.end(), [&](const Pin& pin) {
      return frame[static_cast<std::size_t>(pin.position)] == pin.value;
    });
  };
  const long classic = matches(kClassicPins);
  const long current = matches(kCurrentPins);
  const bool classicLayout = classic >= current;
  const std::span<const Pin> likely =
      classicLayout ? std::span<const Pin>(kClassicPins) : std::span<const Pin>(kCurrentPins);
  if (std::max(classic, current) * 2 >= static_cast<long>(likely.size())) {
    if (frameEnd == kShortFrameBytes) {
      const std::vector<Pin> padded =
          WithPadding(likely, classicLayout ? kClassicPaddingStart : kCurrentPaddingStart);
      const int changed = TryPins(frame, reliability, padded, frameEnd);
      if (changed >= 0) return changed;
    }
    const int changed = TryPins(frame, reliability, likely, frameEnd);
    if (changed >= 0) return changed;
  }
  return TryPins(frame, reliability, {}, frameEnd);
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
                 std::span<const float, kLongFrameBytes> reliability,
                 std::span<const ByteHint> hints) {
  const int frameEnd = FrameEndOfType(frame[kDataStart]);
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
    return TakeOver(frame, work, frameEnd);
  }
  if (!hints.empty()) {
    // The bytes foretold from the sonde's last good frame first; if they mislead, the frame
    // as received, so that a wrong guess never costs a frame.
    std::array<std::uint8_t, kLongFrameBytes> hinted{};
    std::array<float, kLongFrameBytes> trust{};
    std::copy(frame.begin(), frame.end(), hinted.begin());
    std::copy(reliability.begin(), reliability.end(), trust.begin());
    for (const ByteHint& hint : hints) {
      if (hint.position <= kDataStart || hint.position >= frameEnd) continue;
      const auto at = static_cast<std::size_t>(hint.position);
      // Agreeing with the guess, a byte is almost surely right. Disagreeing with an unsure
      // guess, one of the two is wrong: the guess is kept, as the likelier, but its byte is
      // the first to be erased.
      const bool agrees = hinted[at] == hint.value;
      hinted[at] = hint.value;
      trust[at] = hint.sure || agrees ? kSure : 0.0F;
    }
    if (CorrectByLayout(hinted, trust, frameEnd) >= 0) return TakeOver(frame, hinted, frameEnd);
  }
  return CorrectByLayout(frame, reliability, frameEnd);
}

}  // namespace windlark
