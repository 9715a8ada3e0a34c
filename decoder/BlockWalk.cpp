#include "decoder/BlockWalk.h"

#include <algorithm>
#include <bit>

#include "decoder/Crc.h"

namespace windlark {

namespace {

constexpr int kShortFrameEnd = 320;
constexpr int kLongFrameEnd = 518;
constexpr int kBlockOverhead = 4;  // id, length, CRC

struct KnownBlock {
  std::uint8_t id;
  int length;
};

// Blocks whose length never changes: when one of them fails its CRC with the usual length
// byte, the data is damaged but the next block is still where the length says.
constexpr KnownBlock kFixedLengths[] = {
    {kStatusBlockId, kStatusBlockLength},
    {kPtuBlockId, kPtuBlockLength},
    {kGpsTimeBlockId, kGpsTimeBlockLength},
    {kGpsRawBlockId, 0x59},
    {kGpsPositionBlockId, kGpsPositionBlockLength},
    {kShortPtuBlockId, 0x1B},
    {kEncryptedBlockId, 0xA7},
    {kGnssPositionBlockId, kGnssPositionBlockLength},
    {kGnssSatellitesBlockId, kGnssSatellitesBlockLength},
    {kTagBlockId, 0x0A},
};

struct FixedBlock {
  std::uint8_t id;
  int dataStart;
};

constexpr FixedBlock kClassicMap[] = {
    {kStatusBlockId, 59},
    {kPtuBlockId, 103},
    {kGpsTimeBlockId, 149},
    {kGpsPositionBlockId, 276},
};
constexpr int kClassicAuxStart = 299;

constexpr FixedBlock kCurrentMap[] = {
    {kTagBlockId, 59},           {kStatusBlockId, 73},          {kPtuBlockId, 117},
    {kGnssPositionBlockId, 163}, {kGnssSatellitesBlockId, 205},
};
constexpr int kCurrentAuxStart = 248;

bool LengthTrusted(std::uint8_t id, int length) {
  // Auxiliary blocks vary in length; their chain has always been followed past a bad one.
  if (id == kXdataBlockId) return true;
  return std::any_of(std::begin(kFixedLengths), std::end(kFixedLengths),
                     [&](const KnownBlock& b) { return b.id == id && b.length == length; });
}

bool IsCurrentLayoutBlock(std::uint8_t id) {
  return id == kTagBlockId || id == kGnssPositionBlockId || id == kGnssSatellitesBlockId;
}

}  // namespace

int FrameEndOfType(std::uint8_t type) {
  const int vote = std::popcount(type & 0x0FU) - std::popcount(type & 0xF0U);
  return vote >= 0 ? kShortFrameEnd : kLongFrameEnd;
}

int FrameEnd(const RawFrame& frame) {
  return std::min(FrameEndOfType(frame[kFrameTypePos]), kRawFrameSize);
}

BlockWalk WalkBlocks(const RawFrame& frame) {
  BlockWalk walk;
  walk.frameEnd = FrameEnd(frame);
  int pos = kFirstBlockPos;
  while (pos < walk.frameEnd) {
    const auto at = static_cast<std::size_t>(pos);
    if (pos + 1 >= walk.frameEnd) {
      walk.broken = true;
      break;
    }
    FoundBlock block{frame[at], pos, frame[at + 1], false};
    if (pos + block.length + kBlockOverhead > walk.frameEnd) {
      walk.broken = true;
      break;
    }
    block.crcOk = BlockCrcOk(frame, block.length, pos + 2);
    walk.blocks.push_back(block);
    const int next = pos + block.length + kBlockOverhead;
    // A damaged length byte would lead into the middle of the next block; a length that
    // lands exactly on the frame end is believable all the same.
    if (!block.crcOk && !LengthTrusted(block.id, block.length) && next != walk.frameEnd) {
      walk.broken = true;
      break;
    }
    pos = next;
  }
  const bool current = frame[kFirstBlockPos] == kTagBlockId ||
                       std::any_of(walk.blocks.begin(), walk.blocks.end(), [](const FoundBlock& b) {
                         return b.crcOk && IsCurrentLayoutBlock(b.id);
                       });
  walk.layout = current ? FrameLayout::Current : FrameLayout::Classic;
  return walk;
}

std::optional<int> FindBlock(const BlockWalk& walk, std::uint8_t id, int length) {
  for (const FoundBlock& block : walk.blocks) {
    if (block.id == id && block.length == length && block.crcOk) return block.position + 2;
  }
  return std::nullopt;
}

std::optional<int> FixedDataStart(FrameLayout layout, std::uint8_t id) {
  const auto find = [id](const auto& map) -> std::optional<int> {
    for (const FixedBlock& block : map) {
      if (block.id == id) return block.dataStart;
    }
    return std::nullopt;
  };
  return layout == FrameLayout::Classic ? find(kClassicMap) : find(kCurrentMap);
}

int FixedAuxStart(FrameLayout layout) {
  return layout == FrameLayout::Classic ? kClassicAuxStart : kCurrentAuxStart;
}

}  // namespace windlark
