#include "decoder/FramePrediction.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "decoder/BlockWalk.h"
#include "decoder/FrameCorrection.h"

namespace windlark {
namespace {

constexpr std::int64_t kFrameSamples = 48000;

struct LoggedFrame {
  std::vector<std::uint8_t> bytes;  // kLongFrameBytes, zero beyond the frame
  int end = 0;
  int number = 0;  // frame counter, from the status block
};

// The frames of a real log whose every block passes, in order.
std::vector<LoggedFrame> GoodFrames(const std::string& log) {
  std::ifstream in(std::filesystem::path(WINDLARK_SHARED_DATA) / log);
  std::vector<LoggedFrame> frames;
  for (std::string line; std::getline(in, line);) {
    const std::size_t digits = std::min(line.find_first_not_of("0123456789abcdef"), line.size());
    if (digits < 640) continue;
    LoggedFrame f;
    f.bytes.assign(kLongFrameBytes, 0);
    for (std::size_t i = 0; i + 1 < digits && i / 2 < f.bytes.size(); i += 2) {
      f.bytes[i / 2] = static_cast<std::uint8_t>(std::stoi(line.substr(i, 2), nullptr, 16));
    }
    f.end = FrameEndOfType(f.bytes[kFrameTypePos]);
    if (!AllBlocksPass(f.bytes, f.end)) continue;
    const int status = f.bytes[57] == kStatusBlockId ? 59 : 73;
    f.number = f.bytes[static_cast<std::size_t>(status)] |
               f.bytes[static_cast<std::size_t>(status) + 1] << 8;
    frames.push_back(std::move(f));
  }
  return frames;
}

// Sure guesses must hold for real sondes, since each wrong one costs the code two of its 24
// symbols; unsure ones must still be right far more often than a weak signal's bytes are.
TEST(FramePrediction, SureGuessesHoldOnRealFlightsOfBothLayouts) {
  const struct {
    const char* log;
    double sureAtLeast;
    double unsureAtLeast;
    double surePerFrame;  // on average, once the calibration has come round
  } cases[] = {
      {"papasven_rs41_raw_data_reader/V1950381_raw_frames.log", 0.9995, 0.9, 38},
      {"papasven_rs41_raw_data_reader/V5230820_raw_frames_reset.log", 0.998, 0.9, 38},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.log);
    const auto frames = GoodFrames(c.log);
    if (frames.size() < 100) GTEST_SKIP() << "real data absent: " << WINDLARK_SHARED_DATA;
    FramePredictor predictor;
    long sure = 0;
    long sureRight = 0;
    long unsure = 0;
    long unsureRight = 0;
    long predicted = 0;
    for (std::size_t k = 0; k + 1 < frames.size(); ++k) {
      const LoggedFrame& last = frames[k];
      const LoggedFrame& next = frames[k + 1];
      // Frames one second apart; a little timing jitter as from a real demodulator.
      predictor.Learn(last.bytes, last.end, std::int64_t{last.number} * kFrameSamples);
      const auto hints = predictor.Predict(std::int64_t{next.number} * kFrameSamples + 700);
      if (k < 60 || next.number - last.number > 5 || hints.empty()) continue;
      ++predicted;
      for (const ByteHint& hint : hints) {
        const bool right = next.bytes[static_cast<std::size_t>(hint.position)] == hint.value;
        (hint.sure ? sure : unsure) += 1;
        (hint.sure ? sureRight : unsureRight) += right ? 1 : 0;
      }
    }
    ASSERT_GT(predicted, 500);
    EXPECT_GE(static_cast<double>(sureRight) / static_cast<double>(sure), c.sureAtLeast)
        << sureRight << " of " << sure;
    EXPECT_GE(static_cast<double>(unsureRight) / static_cast<double>(unsure), c.unsureAtLeast)
        << unsureRight << " of " << unsure;
    EXPECT_GE(static_cast<double>(sure) / static_cast<double>(predicted), c.surePerFrame);
  }
}

TEST(FramePrediction, NothingIsForetoldWithoutAWholeNumberOfFramesSinceTheLastGoodOne) {
  const auto frames = GoodFrames("papasven_rs41_raw_data_reader/V1950381_raw_frames.log");
  if (frames.empty()) GTEST_SKIP() << "real data absent: " << WINDLARK_SHARED_DATA;
  FramePredictor predictor;
  EXPECT_TRUE(predictor.Predict(kFrameSamples).empty()) << "nothing learnt yet";
  predictor.Learn(frames[0].bytes, frames[0].end, 10 * kFrameSamples);
  const struct {
    double frames;
    bool foretold;
  } cases[] = {{0.0, false}, {0.5, false},  {0.8, true},    {1.0, true},    {1.2, true},
               {1.3, false}, {-1.0, false}, {1200.0, true}, {1201.0, false}};
  for (const auto& c : cases) {
    const auto sample = static_cast<std::int64_t>((10.0 + c.frames) * kFrameSamples);
    EXPECT_EQ(!predictor.Predict(sample).empty(), c.foretold) << c.frames;
  }
  predictor.Reset();
  EXPECT_TRUE(predictor.Predict(11 * kFrameSamples).empty());
}

// A predictor that has followed the flight up to frame `upTo` (so it knows the calibration).
FramePredictor Following(const std::vector<LoggedFrame>& frames, std::size_t upTo) {
  FramePredictor predictor;
  for (std::size_t k = 0; k <= upTo; ++k) {
    predictor.Learn(frames[k].bytes, frames[k].end, std::int64_t{frames[k].number} * kFrameSamples);
  }
  return predictor;
}

int Correct(std::vector<std::uint8_t>& frame, const std::vector<ByteHint>& hints) {
  const std::vector<float> flat(kLongFrameBytes, 1.0F);
  return CorrectFrame(std::span<std::uint8_t, kLongFrameBytes>(frame.data(), kLongFrameBytes),
                      std::span<const float, kLongFrameBytes>(flat.data(), kLongFrameBytes), hints);
}

// Damage past the code's reach (16 byte errors in each codeword) where the last frame tells
// what the bytes hold: with the guesses the frame comes back exactly, without them it is
// uncorrectable. Guesses that mislead (the wrong number of frames since the last one) cost
// nothing: a frame the code alone can correct still comes back.
TEST(FrameCorrection, BytesForetoldByTheLastFrameRepairWhatTheCodeAloneCannot) {
  for (const char* log : {"papasven_rs41_raw_data_reader/V1950381_raw_frames.log",
                          "papasven_rs41_raw_data_reader/V5230820_raw_frames_reset.log"}) {
    SCOPED_TRACE(log);
    const auto frames = GoodFrames(log);
    if (frames.size() < 100) GTEST_SKIP() << "real data absent: " << WINDLARK_SHARED_DATA;
    std::size_t k = 60;
    while (frames[k + 1].number != frames[k].number + 1) ++k;
    const LoggedFrame& next = frames[k + 1];
    FramePredictor predictor = Following(frames, k);
    const auto hints = predictor.Predict(std::int64_t{next.number} * kFrameSamples);
    std::vector<std::uint8_t> damaged = next.bytes;
    int errors[2] = {0, 0};
    for (const ByteHint& hint : hints) {
      int& inCodeword = errors[(hint.position - 56) % 2];
      if (!hint.sure || inCodeword == 16) continue;
      damaged[static_cast<std::size_t>(hint.position)] ^= 0x5A;
      ++inCodeword;
    }
    ASSERT_EQ(errors[0] + errors[1], 32);

    std::vector<std::uint8_t> frame = damaged;
    EXPECT_EQ(Correct(frame, {}), -1);
    EXPECT_EQ(frame, damaged);
    EXPECT_EQ(Correct(frame, hints), 32);
    EXPECT_EQ(frame, next.bytes);

    // Three frames later by the clock: the counter, the time and the fragment are guessed
    // wrong. Four errors the code corrects on its own.
    const auto misleading = predictor.Predict(std::int64_t{next.number + 2} * kFrameSamples);
    ASSERT_FALSE(misleading.empty());
    frame = next.bytes;
    for (const int at : {100, 101, 150, 151}) frame[static_cast<std::size_t>(at)] ^= 0x11;
    EXPECT_EQ(Correct(frame, misleading), 4);
    EXPECT_EQ(frame, next.bytes);
  }
}

}  // namespace
}  // namespace windlark
