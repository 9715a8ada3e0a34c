#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "base/RawFrame.h"

// Frames and audio for tests and benchmarks, made directly from bytes.
namespace windlark::test {

// A 320-byte frame's worth of content with valid CRCs on the fixed blocks.
struct FrameSpec {
  std::uint16_t frameNumber = 1000;
  std::string sondeId = "T1234567";
  std::uint8_t battery = 29;  // 0.1 V
  std::uint8_t fragmentIndex = 0;
  std::array<std::uint8_t, 16> fragment{};
  std::uint16_t gpsWeek = 2300;
  std::uint32_t timeOfWeekMs = 43200000;
  // GPS position block: on the equator at 0 E unless set.
  std::int32_t ecefXcm = 637813700;
  std::int32_t ecefYcm = 0;
  std::int32_t ecefZcm = 0;
  std::int16_t velXcm = 0;
  std::int16_t velYcm = 0;
  std::int16_t velZcm = 0;
  std::uint8_t sats = 8;
  std::uint8_t speedAccuracy = 3;  // 0.1 m/s
  std::uint8_t pdop = 15;
};

// Bytes 0..319 of a frame (de-whitened), with status, PTU, GPS time and position blocks whose
// CRCs pass, and a padding block at 299.
std::vector<std::uint8_t> BuildFrame(const FrameSpec& frameSpec);
// Writes the CRC of the block data at [start, start + length) right after it.
void SealBlock(std::vector<std::uint8_t>& frame, int start, int length);
// The frame as the decoder sees it: first 470 bytes, rest zero.
RawFrame ToRawFrame(const std::vector<std::uint8_t>& bytes);

struct AudioSpec {
  int preambleBits = 320;
  int amplitude = 60;
  int dcOffset = 0;
  bool invert = false;
  int gapSamples = 48000;  // each frame starts a slot of this many samples
};

// Ideal two-level audio (10 samples per bit, 128 = zero): alternating preamble, whitened frame
// sent LSB first, then idle level to the end of the slot.
void AppendFrameAudio(std::vector<std::uint8_t>& audio, const std::vector<std::uint8_t>& frame,
                      const AudioSpec& audioSpec);

}  // namespace windlark::test
