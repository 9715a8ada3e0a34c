#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "base/RawFrame.h"

namespace windlark {

// Block ids of both frame layouts.
inline constexpr std::uint8_t kStatusBlockId = 0x79;
inline constexpr std::uint8_t kPtuBlockId = 0x7A;
inline constexpr std::uint8_t kGpsPositionBlockId = 0x7B;
inline constexpr std::uint8_t kGpsTimeBlockId = 0x7C;
inline constexpr std::uint8_t kGpsRawBlockId = 0x7D;
inline constexpr std::uint8_t kXdataBlockId = 0x7E;
inline constexpr std::uint8_t kPaddingBlockId = 0x76;
inline constexpr std::uint8_t kShortPtuBlockId = 0x7F;
inline constexpr std::uint8_t kEncryptedBlockId = 0x80;
inline constexpr std::uint8_t kGnssPositionBlockId = 0x82;
inline constexpr std::uint8_t kGnssSatellitesBlockId = 0x83;
inline constexpr std::uint8_t kTagBlockId = 0x96;

// Data lengths of the blocks the decoder reads.
inline constexpr int kStatusBlockLength = 40;
inline constexpr int kPtuBlockLength = 42;
inline constexpr int kGpsTimeBlockLength = 30;
inline constexpr int kGpsPositionBlockLength = 21;
inline constexpr int kGnssPositionBlockLength = 38;
inline constexpr int kGnssSatellitesBlockLength = 41;

// The first block's id byte; the frame-type byte sits right before it.
inline constexpr int kFirstBlockPos = 57;
inline constexpr int kFrameTypePos = 56;

// Classic: status, PTU, GPS time, GPS raw, GPS position. Current (sondes from ground systems
// of late 2024 on): a 10-byte tag, status, PTU, GNSS position with UTC time, GNSS satellites.
enum class FrameLayout { Classic, Current };

struct FoundBlock {
  std::uint8_t id = 0;
  int position = 0;  // of the id byte; the data start two bytes later
  int length = 0;
  bool crcOk = false;
};

struct BlockWalk {
  std::vector<FoundBlock> blocks;
  FrameLayout layout = FrameLayout::Classic;
  int frameEnd = 320;
  // Stopped short of the frame end: a block ran past it, or a failing block's length byte
  // could not be trusted to find the next one.
  bool broken = false;
};

// 320 or 518 bytes by the frame-type byte: a majority of its nibbles decides (0x0F short, 0xF0
// long), so that a bit error or two still tells them apart.
int FrameEndOfType(std::uint8_t type);

// Where a 320- or 518-byte frame ends by its type byte, a majority vote over its two nibbles
// (0x0F short, 0xF0 long) so that a bit error or two still tells them apart; never past the
// buffer.
int FrameEnd(const RawFrame& frame);

// Follows [id][length][data][CRC] from byte 57 to the frame end, checking every CRC.
BlockWalk WalkBlocks(const RawFrame& frame);

// Data start of the first block of this id and length whose CRC passed.
std::optional<int> FindBlock(const BlockWalk& walk, std::uint8_t id, int length);

// Data start of this block in the layout's fixed frame map, if it has one there.
std::optional<int> FixedDataStart(FrameLayout layout, std::uint8_t id);

// Where the auxiliary-data chain starts when the walk met no 0x7E block: right after the
// layout's last fixed block.
int FixedAuxStart(FrameLayout layout);

}  // namespace windlark
