#include "signal/BitSlicer.h"

#include <gtest/gtest.h>

#include <vector>

#include "decoder/PanelRecorder.h"

namespace windlark {
namespace {

class NullSink : public FrameSink {
 public:
  void OnFrame(const RawFrame&) override { ++frames; }
  int frames = 0;
};

// A slicer with its synchroniser, lamps and a recording display.
struct Rig {
  NullSink sink;
  FrameSynchroniser sync{sink};
  PanelRecorder view;
  LampBank lamps{view};
  std::atomic<std::int32_t> lockCount{0};
  BitSlicer slicer{sync, lamps, view, lockCount};

  void Feed(const std::vector<std::uint8_t>& audio) {
    for (std::size_t at = 0; at + kSamplesPerBuffer <= audio.size(); at += kSamplesPerBuffer) {
      slicer.SliceBuffer(std::span(audio).subspan(at, kSamplesPerBuffer));
    }
  }
};

// Audio from alternating runs (starting low) of the given lengths, padded to whole buffers by
// continuing with 10-sample runs.
std::vector<std::uint8_t> Runs(const std::vector<int>& lengths, int buffers = 1, int high = 188,
                               int low = 68) {
  std::vector<std::uint8_t> audio;
  bool level = false;
  const auto total = static_cast<std::size_t>(buffers * kSamplesPerBuffer);
  for (int length : lengths) {
    audio.insert(audio.end(), static_cast<std::size_t>(length),
                 static_cast<std::uint8_t>(level ? high : low));
    level = !level;
  }
  while (audio.size() < total) {
    audio.insert(audio.end(), 10, static_cast<std::uint8_t>(level ? high : low));
    level = !level;
  }
  audio.resize(total);
  return audio;
}

TEST(BitSlicer, SilenceShowsZeroLevelAndNeverLocks) {
  Rig rig;
  rig.Feed(std::vector<std::uint8_t>(kSamplesPerBuffer, 128));
  EXPECT_EQ(rig.view.Text(ReadOut::AvrLevel), " 0.00");
  EXPECT_EQ(rig.slicer.State().state, SlicerMode::Hunting);
  EXPECT_EQ(rig.lockCount, 0);
}

TEST(BitSlicer, AlternatingPatternLocksOnThe51stChangeAtTheNextBitCentre) {
  Rig rig;
  // Stop after 52 runs so that exactly 51 level changes happen, then hold the level.
  std::vector<std::uint8_t> audio = Runs(std::vector<int>(52, 10));
  std::fill(audio.begin() + 520, audio.end(), audio[519]);
  // One change fewer must not lock.
  Rig early;
  std::vector<std::uint8_t> fifty = audio;
  std::fill(fifty.begin() + 510, fifty.end(), fifty[509]);
  early.Feed(fifty);
  EXPECT_EQ(early.slicer.State().state, SlicerMode::Hunting);
  EXPECT_EQ(early.slicer.State().transitions, 50);

  rig.Feed(audio);
  EXPECT_EQ(rig.lockCount, 1);
  EXPECT_EQ(rig.view.LampColour(Lamp::Preamble), kAqua);
  // The 51st change is at sample 510; the bit after it spans 510..519.
  EXPECT_EQ(rig.slicer.State().phaseShown, 515);
}

TEST(BitSlicer, ImplausibleRunRestartsTheCount) {
  for (int odd : {16, 4}) {
    Rig rig;
    std::vector<int> runs(21, 10);
    runs.push_back(odd);
    runs.insert(runs.end(), 6, 10);
    std::vector<std::uint8_t> audio = Runs(runs);
    int used = 0;
    for (int r : runs) used += r;
    std::fill(audio.begin() + used, audio.end(), audio[static_cast<std::size_t>(used) - 1]);
    rig.Feed(audio);
    EXPECT_EQ(rig.slicer.State().transitions, 5) << "odd run " << odd;
    EXPECT_EQ(rig.slicer.State().state, SlicerMode::Hunting);
  }
}

TEST(BitSlicer, DeviationAcrossTheBufferEndCountsAsSmall) {
  Rig rig;
  // An implausible lead-in, then 10-sample runs whose 39th change lands at 23 993 (prediction
  // 23 998); the 40th run is 14 samples, so the 40th centre lies at 0 of the next buffer.
  std::vector<int> runs = {23603};
  runs.insert(runs.end(), 39, 10);
  runs.push_back(14);
  rig.Feed(Runs(runs, 2));
  // +2 for the 40th change, +4 for each of the eleven that follow; no wrap-around error.
  EXPECT_EQ(rig.lockCount, 1);
  EXPECT_EQ(rig.slicer.State().phaseShown, 118);
}

TEST(BitSlicer, LockBehindTheCurrentSampleSkipsToTheNextBuffer) {
  Rig rig;
  std::vector<int> runs = {100, 10, 5, 5};
  runs.insert(runs.end(), 45, 10);
  runs.insert(runs.end(), {15, 15, 10});
  // Deviations sum to -468; -468 / 49 = -9 puts the sampling position at 606, behind 610.
  rig.Feed(Runs(runs, 1));
  EXPECT_EQ(rig.slicer.State().phaseShown, 606);
  EXPECT_EQ(rig.slicer.State().samplePos, 606);
  EXPECT_EQ(rig.sync.State().shiftReg, 0) << "no bit may be taken in the rest of the buffer";
  rig.Feed(Runs({10}, 1));
  EXPECT_NE(rig.sync.State().shiftReg, 0);
}

TEST(BitSlicer, AdjustRemovesTheOffsetAndOffSlicesAgainst128) {
  // A signal centred at 140 swinging +-10: without correction every sample is a one.
  const std::vector<std::uint8_t> audio = Runs(std::vector<int>(60, 10), 1, 150, 130);
  Rig off;
  off.slicer.SetAdjust(false);
  off.view.SetText(ReadOut::AvrLevel, "kept");
  off.Feed(audio);
  EXPECT_EQ(off.lockCount, 0);
  EXPECT_EQ(off.view.Text(ReadOut::AvrLevel), "kept");

  Rig on;
  on.Feed(audio);
  EXPECT_EQ(on.lockCount, 1);
  EXPECT_EQ(on.view.Text(ReadOut::AvrLevel), "12.00");
}

TEST(BitSlicer, RejectsBuffersOfTheWrongLength) {
  Rig rig;
  rig.slicer.SliceBuffer(std::vector<std::uint8_t>(100, 200));
  EXPECT_EQ(rig.view.Text(ReadOut::AvrLevel), "");
}

}  // namespace
}  // namespace windlark
