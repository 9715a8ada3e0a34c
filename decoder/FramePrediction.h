#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

namespace windlark {

// A byte the next frame will most likely hold, foretold from the last good frame of the same
// sonde. A sure one (serial, frame counter, GPS time, a calibration fragment seen before)
// replaces what was received; an unsure one (battery, satellites, the upper bytes of the
// position) only tells how far to trust the received byte.
struct ByteHint {
  int position = 0;
  std::uint8_t value = 0;
  bool sure = false;
};

// Remembers the last frame whose every block passed and what it tells of the frames that
// follow: one frame per second of the sonde's clock, so the number of frames since then is
// read from the audio's sample count.
class FramePredictor {
 public:
  // A frame of `frameEnd` bytes whose blocks all passed, its header ending at `sample`.
  void Learn(std::span<const std::uint8_t> frame, int frameEnd, std::int64_t sample);
  // What a frame whose header ends at `sample` will most likely hold; nothing when the timing
  // does not fit a whole number of frames since the last good one.
  std::vector<ByteHint> Predict(std::int64_t sample) const;
  void Reset();

 private:
  void HintStatus(int data, int frames, std::vector<ByteHint>& hints) const;
  void HintPtu(int data, std::vector<ByteHint>& hints) const;
  void HintGpsTime(int data, int frames, std::vector<ByteHint>& hints) const;
  void HintGnssPosition(int data, int frames, std::vector<ByteHint>& hints) const;
  void HintEcef(int data, int frames, std::vector<ByteHint>& hints) const;

  static constexpr int kFragments = 51;
  static constexpr int kFragmentSize = 16;

  struct Block {
    std::uint8_t id;
    int data;  // where its data start
    int length;
  };
  const Block* Find(std::uint8_t id, int length) const;

  std::vector<std::uint8_t> m_last;
  std::vector<Block> m_blocks;
  std::int64_t m_sample = 0;
  bool m_have = false;
  std::array<std::array<std::uint8_t, kFragmentSize>, kFragments> m_fragments{};
  std::array<bool, kFragments> m_seen{};
};

}  // namespace windlark
