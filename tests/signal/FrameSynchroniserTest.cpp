#include "signal/FrameSynchroniser.h"

#include <gtest/gtest.h>

#include <vector>

namespace windlark {
namespace {

class Collect : public FrameSink {
 public:
  void OnFrame(const RawFrame& frame) override { frames.push_back(frame); }
  std::vector<RawFrame> frames;
};

// Drives the synchroniser the way the slicer does, tracking the slicer state it asks for.
struct Driver {
  Collect sink;
  FrameSynchroniser sync{sink};
  bool inFrame = false;
  int hunts = 0;

  void Push(int bit) {
    switch (sync.PushBit(bit, inFrame)) {
      case SyncResult::InFrame:
        inFrame = true;
        break;
      case SyncResult::Hunt:
        inFrame = false;
        ++hunts;
        sync.Reset();
        break;
      case SyncResult::Continue:
        break;
    }
  }
  // On-air bits: whitened, LSB first, optionally inverted; after a short alternating preamble.
  void SendFrame(const std::vector<std::uint8_t>& plain, bool invert) {
    for (int k = 16; k > 0; --k) Push((k % 2) ^ (invert ? 1 : 0));
    for (std::size_t i = 0; i < plain.size(); ++i) {
      const int byte = plain[i] ^ kWhiteningMask[i % 64];
      for (int b = 0; b < 8; ++b) Push(((byte >> b) & 1) ^ (invert ? 1 : 0));
    }
  }
};

std::vector<std::uint8_t> Plain() {
  std::vector<std::uint8_t> plain(kReceivedFrameSize);
  const std::uint8_t header[8] = {0x86, 0x35, 0xF4, 0x40, 0x93, 0xDF, 0x1A, 0x60};
  for (std::size_t i = 0; i < plain.size(); ++i) {
    plain[i] = i < 8 ? header[i] : static_cast<std::uint8_t>(i * 7 + 3);
  }
  return plain;
}

TEST(FrameSynchroniser, AssemblesAndDeWhitensAFrame) {
  Driver d;
  const auto plain = Plain();
  d.SendFrame(plain, false);
  ASSERT_EQ(d.sink.frames.size(), 1U);
  const RawFrame& got = d.sink.frames[0];
  EXPECT_TRUE(std::equal(plain.begin(), plain.end(), got.begin()));
  // Bytes 64 and 128 use mask byte 0 again; bytes past 469 stay zero.
  EXPECT_EQ(got[64], plain[64]);
  EXPECT_EQ(got[128], plain[128]);
  EXPECT_EQ(got[470], 0);
  EXPECT_EQ(got[499], 0);
  EXPECT_EQ(d.sync.State().polarity, 0);
}

TEST(FrameSynchroniser, InvertedFrameFlipsPolarityForTheRestAndTheNextFrame) {
  Driver d;
  const auto plain = Plain();
  d.SendFrame(plain, true);
  ASSERT_EQ(d.sink.frames.size(), 1U);
  EXPECT_EQ(d.sink.frames[0][0], 0x86);
  EXPECT_TRUE(std::equal(plain.begin(), plain.end(), d.sink.frames[0].begin()));
  EXPECT_EQ(d.sync.State().polarity, 1);
  // The next frame is taken with the flipped polarity from its first bit.
  d.SendFrame(plain, true);
  ASSERT_EQ(d.sink.frames.size(), 2U);
  EXPECT_TRUE(std::equal(plain.begin(), plain.end(), d.sink.frames[1].begin()));
  EXPECT_EQ(d.sync.State().polarity, 1);
}

TEST(FrameSynchroniser, WrongFirstByteNeverReachesTheDecoder) {
  Driver d;
  auto plain = Plain();
  plain[0] = 0x87;
  d.SendFrame(plain, false);
  EXPECT_TRUE(d.sink.frames.empty());
  EXPECT_GE(d.hunts, 1);
}

TEST(FrameSynchroniser, SyncFiresOnAUniformUpperNibbleButNotOnZero) {
  struct Case {
    std::vector<int> bits;
    int firesAt;  // index of the bit that fires, -1 for none
  };
  const Case cases[] = {
      {{1, 1, 1, 1}, 3},               // register 0xF0
      {{1, 0, 0, 0, 0}, 4},            // register 0x08
      {{0, 0, 0, 0, 0, 0, 0, 0}, -1},  // 0x00 never fires
      {{1, 0, 1, 0, 1, 0, 1, 0}, -1},  // preamble
  };
  for (const auto& c : cases) {
    Collect sink;
    FrameSynchroniser sync(sink);
    int firedAt = -1;
    for (std::size_t k = 0; k < c.bits.size() && firedAt < 0; ++k) {
      if (sync.PushBit(c.bits[k], false) == SyncResult::InFrame) firedAt = static_cast<int>(k);
    }
    EXPECT_EQ(firedAt, c.firesAt);
  }
}

TEST(FrameSynchroniser, FirstByteCompletesFourBitsAfterSync) {
  Collect sink;
  FrameSynchroniser sync(sink);
  for (int bit : {1, 0, 0, 0}) sync.PushBit(bit, false);
  ASSERT_EQ(sync.PushBit(0, false), SyncResult::InFrame);
  // The syncing bit was shifted in twice and counted once.
  EXPECT_EQ(sync.State().bitCounter, 4);
  for (int k = 0; k < 3; ++k) sync.PushBit(0, true);
  EXPECT_EQ(sync.State().frameLen, 0);
  sync.PushBit(0, true);
  EXPECT_EQ(sync.State().frameLen, 1);
}

}  // namespace
}  // namespace windlark
