// Reed-Solomon decoding of single codewords and of whole frames, with the CRC guard.
#include "decoder/ReedSolomon.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <numeric>
#include <random>
#include <string>
#include <vector>

#include "decoder/FrameCorrection.h"

namespace windlark {
namespace {

RsCodeword RandomCodeword(std::mt19937& rng, int usedLength = kRsLength) {
  RsCodeword word{};
  for (int k = kRsParity; k < usedLength; ++k) {
    word[static_cast<std::size_t>(k)] = static_cast<std::uint8_t>(rng() & 0xFFU);
  }
  RsEncode(word);
  return word;
}

// Distinct positions below `usedLength`.
std::vector<int> Positions(std::mt19937& rng, int count, int usedLength) {
  std::vector<int> all(static_cast<std::size_t>(usedLength));
  std::iota(all.begin(), all.end(), 0);
  std::shuffle(all.begin(), all.end(), rng);
  all.resize(static_cast<std::size_t>(count));
  return all;
}

TEST(ReedSolomon, EncodedWordHasNothingToCorrect) {
  std::mt19937 rng(1);
  RsCodeword word = RandomCodeword(rng);
  const RsCodeword sent = word;
  EXPECT_EQ(RsDecode(word, {}), 0);
  EXPECT_EQ(word, sent);
}

TEST(ReedSolomon, ErrorAndErasurePatternsUpToAndPastCapacity) {
  struct Case {
    int errors;
    int erasures;    // of which the first `errors` may overlap: erased positions carry errors too
    int usedLength;  // shortened code
    bool correctable;
  };
  const Case cases[] = {
      {1, 0, 255, true},   {12, 0, 255, true},  {0, 24, 255, true},  {6, 12, 255, true},
      {11, 2, 255, true},  {1, 22, 255, true},  {12, 0, 156, true},  {5, 14, 156, true},
      {13, 0, 255, false}, {12, 1, 255, false}, {2, 21, 255, false}, {13, 0, 156, false},
      {0, 25, 255, false}, {20, 0, 255, false},
  };
  std::mt19937 rng(7);
  for (const Case& c : cases) {
    for (int trial = 0; trial < 20; ++trial) {
      SCOPED_TRACE("errors " + std::to_string(c.errors) + " erasures " +
                   std::to_string(c.erasures) + " length " + std::to_string(c.usedLength) +
                   " trial " + std::to_string(trial));
      const RsCodeword sent = RandomCodeword(rng, c.usedLength);
      RsCodeword word = sent;
      const std::vector<int> at = Positions(rng, c.errors + c.erasures, c.usedLength);
      for (int n = 0; n < c.errors; ++n) {
        word[static_cast<std::size_t>(at[static_cast<std::size_t>(n)])] ^=
            static_cast<std::uint8_t>(1 + rng() % 255);
      }
      // Erased symbols are garbage or, by chance, right.
      std::vector<int> erasures(at.begin() + c.errors, at.end());
      for (const int k : erasures) {
        word[static_cast<std::size_t>(k)] = static_cast<std::uint8_t>(rng() & 0xFFU);
      }
      const RsCodeword received = word;
      const int result = RsDecode(word, erasures, c.usedLength);
      if (c.correctable) {
        EXPECT_EQ(word, sent);
        int differing = 0;
        for (std::size_t k = 0; k < word.size(); ++k) differing += word[k] != received[k];
        EXPECT_EQ(result, differing);
      } else {
        EXPECT_EQ(result, -1);
        EXPECT_EQ(word, received);
      }
    }
  }
}

TEST(ReedSolomon, CorrectionInTheShortenedPartFails) {
  std::mt19937 rng(3);
  // A word that is a codeword of the full length, but has a non-zero symbol past the used part:
  // the closest codeword of the shortened code is too far, never that one.
  RsCodeword word = RandomCodeword(rng, 200);
  word[210] = 0x55;
  RsEncode(word);
  word[210] = 0;
  const RsCodeword received = word;
  EXPECT_EQ(RsDecode(word, {}, 200), -1);
  EXPECT_EQ(word, received);
}

std::vector<std::vector<std::uint8_t>> ExampleFrames() {
  const std::filesystem::path path =
      std::filesystem::path(WINDLARK_SHARED_DATA) / "rs1729_RS/rs41txt_example_frames.hex.txt";
  std::vector<std::vector<std::uint8_t>> frames;
  std::ifstream in(path);
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::vector<std::uint8_t> frame(kLongFrameBytes, 0);
    for (std::size_t i = 0; i + 1 < line.size() && i / 2 < frame.size(); i += 2) {
      frame[i / 2] = static_cast<std::uint8_t>(std::stoi(line.substr(i, 2), nullptr, 16));
    }
    frames.push_back(frame);
  }
  return frames;
}

int Correct(std::vector<std::uint8_t>& frame, const std::vector<float>& reliability) {
  return CorrectFrame(std::span<std::uint8_t, kLongFrameBytes>(frame.data(), kLongFrameBytes),
                      std::span<const float, kLongFrameBytes>(reliability.data(), kLongFrameBytes));
}

TEST(FrameCorrection, RealFramesComeBackAsCorrected) {
  const auto frames = ExampleFrames();
  if (frames.size() != 5) GTEST_SKIP() << "real data absent: " << WINDLARK_SHARED_DATA;
  const std::vector<float> flat(kLongFrameBytes, 1.0F);
  // [A], [C], [E] are clean; [B] has two parity errors, [D] three data errors.
  const struct {
    std::size_t received;
    std::size_t corrected;
    int changes;
  } cases[] = {{0, 0, 0}, {2, 2, 0}, {4, 4, 0}, {1, 2, 2}, {3, 4, 3}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.received);
    std::vector<std::uint8_t> frame = frames[c.received];
    EXPECT_EQ(Correct(frame, flat), c.changes);
    EXPECT_EQ(frame, frames[c.corrected]);
  }
}

TEST(FrameCorrection, ThirteenErrorsInOneCodewordAreUncorrectableNeverWrong) {
  const auto frames = ExampleFrames();
  if (frames.size() != 5) GTEST_SKIP() << "real data absent: " << WINDLARK_SHARED_DATA;
  std::mt19937 rng(13);
  for (int trial = 0; trial < 30; ++trial) {
    std::vector<std::uint8_t> frame = frames[2];
    std::vector<float> reliability(kLongFrameBytes, 1.0F);
    // Thirteen data bytes of codeword 1 (even offsets from 0x38), past the pinned ones; the
    // receiver was sure of them, so erasures elsewhere cannot help.
    int placed = 0;
    for (const int k : Positions(rng, 40, 228)) {
      const int offset = 60 + 2 * k;
      // Not where a block id or length is pinned: that byte would be repaired for free.
      if (offset == 102 || offset == 148 || offset == 182 || offset == 274 || placed == 13)
        continue;
      frame[static_cast<std::size_t>(offset)] ^= 0x5A;
      ++placed;
    }
    for (int n = 0; n < 20; ++n) reliability[static_cast<std::size_t>(61 + 2 * n)] = 0.1F;
    const std::vector<std::uint8_t> received = frame;
    EXPECT_EQ(Correct(frame, reliability), -1);
    EXPECT_EQ(frame, received);
  }
}

TEST(FrameCorrection, UnreliableBytesAreErasedToCorrectMoreThanTwelve) {
  const auto frames = ExampleFrames();
  if (frames.size() != 5) GTEST_SKIP() << "real data absent: " << WINDLARK_SHARED_DATA;
  std::vector<std::uint8_t> frame = frames[0];  // a short frame
  std::vector<float> reliability(kLongFrameBytes, 1.0F);
  // Eighteen errors in codeword 2, all flagged as doubtful, and three more the receiver missed.
  for (int n = 0; n < 18; ++n) {
    frame[static_cast<std::size_t>(61 + 6 * n)] ^= 0xA5;
    reliability[static_cast<std::size_t>(61 + 6 * n)] = 0.05F;
  }
  for (const int at : {200, 230, 260}) frame[static_cast<std::size_t>(at + 1)] ^= 0x11;
  // A wrong block id byte is pinned back.
  frame[101] = 0x00;
  EXPECT_EQ(Correct(frame, reliability), 22);
  EXPECT_EQ(frame, frames[0]);
}

// The first frame of a real current-layout flight whose blocks all pass as received.
std::vector<std::uint8_t> CurrentLayoutFrame() {
  std::ifstream in(std::filesystem::path(WINDLARK_SHARED_DATA) /
                   "papasven_rs41_raw_data_reader/V1950381_raw_frames.log");
  std::string line;
  while (std::getline(in, line)) {
    if (line.size() < 640) continue;
    std::vector<std::uint8_t> frame(kLongFrameBytes, 0);
    for (std::size_t i = 0; i < 640; i += 2) {
      frame[i / 2] = static_cast<std::uint8_t>(std::stoi(line.substr(i, 2), nullptr, 16));
    }
    if (frame[56] == 0x0F && AllBlocksPass(frame, 320)) return frame;
  }
  return {};
}

TEST(FrameCorrection, TheZeroPaddingOfAShortFrameIsKnownInBothLayouts) {
  const auto examples = ExampleFrames();
  const auto current = CurrentLayoutFrame();
  if (examples.size() != 5 || current.empty()) {
    GTEST_SKIP() << "real data absent: " << WINDLARK_SHARED_DATA;
  }
  // The first codeword (even offsets from 56) gets 12 errors before the padding, its capacity,
  // and more inside the padding, which only knowing the padding can repair.
  const struct {
    const char* layout;
    std::vector<std::uint8_t> frame;
    int paddingStart;
    std::vector<int> before;
  } cases[] = {
      {"classic", examples[0], 299, {60, 64, 68, 80, 90, 120, 130, 160, 190, 220, 250, 280}},
      {"current", current, 248, {60, 64, 68, 80, 90, 120, 130, 150, 170, 190, 210, 230}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.layout);
    std::vector<std::uint8_t> frame = c.frame;
    for (const int at : c.before) frame[static_cast<std::size_t>(at)] ^= 0x3C;
    int inPadding = 0;
    // Every other symbol of the first codeword, from its first one after the block id.
    for (int at = (c.paddingStart + 2) & ~1; at < 320; at += 4) {
      frame[static_cast<std::size_t>(at)] ^= 0xC3;
      ++inPadding;
    }
    const std::vector<float> sure(kLongFrameBytes, 1.0F);
    EXPECT_EQ(Correct(frame, sure), 12 + inPadding);
    EXPECT_EQ(frame, c.frame);
  }
}

}  // namespace
}  // namespace windlark
