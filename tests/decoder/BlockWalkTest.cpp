// Frames of the current layout, and blocks found by their ids wherever they lie.
#include "decoder/BlockWalk.h"

#include <gtest/gtest.h>

#include "decoder/Crc.h"
#include "decoder/DecoderRig.h"

namespace windlark {
namespace {

using test::DecoderRig;

class ReportHooks : public DecoderHooks {
 public:
  void WritePositionOut() override { ++positionOut; }
  int positionOut = 0;
};

void Put16(std::vector<std::uint8_t>& f, std::size_t at, unsigned v) {
  f[at] = static_cast<std::uint8_t>(v);
  f[at + 1] = static_cast<std::uint8_t>(v >> 8);
}

void Put32(std::vector<std::uint8_t>& f, std::size_t at, std::uint32_t v) {
  Put16(f, at, v & 0xFFFF);
  Put16(f, at + 2, v >> 16);
}

// Writes [id][length][data][CRC] at `pos`; returns where the next block starts.
int PutBlock(std::vector<std::uint8_t>& f, int pos, std::uint8_t id,
             const std::vector<std::uint8_t>& data) {
  const auto at = static_cast<std::size_t>(pos);
  f[at] = id;
  f[at + 1] = static_cast<std::uint8_t>(data.size());
  std::copy(data.begin(), data.end(), f.begin() + pos + 2);
  test::SealBlock(f, pos + 2, static_cast<int>(data.size()));
  return pos + static_cast<int>(data.size()) + 4;
}

struct CurrentContents {
  std::vector<int> slots = {3, 40, 120};  // satellite bitmap slots, each with a status
  std::int32_t ecefXcm = 637813700;
  std::int32_t ecefYcm = 0;
  std::int16_t velYcm = 0;
  // Blocks put in front of the status block, moving everything after it.
  std::vector<std::vector<std::uint8_t>> extraBlocks;
};

// A 320-byte frame of the current layout: 0x96 0x79 0x7A 0x82 0x83, padding to the end.
std::vector<std::uint8_t> CurrentFrame(const CurrentContents& contents = {}) {
  std::vector<std::uint8_t> f(320, 0);
  const std::uint8_t header[] = {0x86, 0x35, 0xF4, 0x40, 0x93, 0xDF, 0x1A, 0x60};
  std::copy(std::begin(header), std::end(header), f.begin());
  f[0x38] = 0x0F;
  int pos = PutBlock(f, 57, 0x96, {0xB1, 0x00, 1, 2, 3, 4, 5, 6, 7, 8});
  for (const auto& block : contents.extraBlocks) {
    pos = PutBlock(f, pos, block[0], std::vector<std::uint8_t>(block.begin() + 1, block.end()));
  }
  std::vector<std::uint8_t> status(40, 0);
  Put16(status, 0, 2345);
  const std::string id = "X7654321";
  std::copy(id.begin(), id.end(), status.begin() + 2);
  status[10] = 27;
  status[22] = 0x32;
  status[23] = 51;  // no fragment stored
  pos = PutBlock(f, pos, 0x79, status);
  pos = PutBlock(f, pos, 0x7A, std::vector<std::uint8_t>(42, 0));
  std::vector<std::uint8_t> gnss(38, 0);
  Put32(gnss, 0, static_cast<std::uint32_t>(contents.ecefXcm));
  Put32(gnss, 4, static_cast<std::uint32_t>(contents.ecefYcm));
  Put16(gnss, 14, static_cast<std::uint16_t>(contents.velYcm));
  Put16(gnss, 18, 2025);
  const std::uint8_t when[] = {3, 14, 15, 9, 26, 50};
  std::copy(std::begin(when), std::end(when), gnss.begin() + 20);
  pos = PutBlock(f, pos, 0x82, gnss);
  std::vector<std::uint8_t> sats(41, 0);
  for (std::size_t k = 0; k < contents.slots.size(); ++k) {
    const int bit = contents.slots[k] - 1;
    sats[4 + static_cast<std::size_t>(bit / 8)] |= static_cast<std::uint8_t>(1 << (bit % 8));
    sats[25 + k / 2] |= static_cast<std::uint8_t>((k % 2 == 0 ? 0x0B : 0x90));
  }
  pos = PutBlock(f, pos, 0x83, sats);
  PutBlock(f, pos, 0x76, std::vector<std::uint8_t>(static_cast<std::size_t>(320 - pos - 4), 0));
  return f;
}

// Data start of the block with this id in a built frame (walking it as written).
std::size_t DataOf(const std::vector<std::uint8_t>& f, std::uint8_t id) {
  std::size_t pos = 57;
  while (f[pos] != id) pos += f[pos + 1] + 4U;
  return pos + 2;
}

TEST(CurrentLayout, FrameDecodesWithUtcTimeAndSatelliteMap) {
  DecoderRig rig;
  const FrameChecks checks = rig.Decode(test::ToRawFrame(CurrentFrame()));
  EXPECT_EQ(checks.layout, FrameLayout::Current);
  EXPECT_TRUE(checks.status && checks.ptu && checks.gpsTime && checks.gpsPosition &&
              checks.gnssSatellites);
  EXPECT_EQ(rig.view.Text(ReadOut::FrameNumber), "2345");
  EXPECT_EQ(rig.view.Text(ReadOut::SondeId), "X7654321");
  EXPECT_EQ(rig.view.Text(ReadOut::GpsTime), "2025/03/14 T15:09:26.500");
  EXPECT_EQ(rig.state.timestamp, "2025-03-14T15:09:26Z");
  EXPECT_TRUE(rig.state.timeReference == TimeReference::Utc);
  EXPECT_EQ(rig.view.Text(ReadOut::SatsUsed), "3");
  EXPECT_EQ(rig.view.Text(ReadOut::SpeedAccuracy), "n/a");
  EXPECT_EQ(rig.view.Text(ReadOut::Pdop), "n/a");
  EXPECT_EQ(rig.view.Text(ReadOut::Latitude), "0.000000 °N");
  EXPECT_EQ(rig.view.Satellite(0).label, "G3");
  EXPECT_EQ(rig.view.Satellite(1).label, "E8");
  EXPECT_EQ(rig.view.Satellite(2).label, "120");
  EXPECT_EQ(rig.view.Satellite(3).label, "");
  EXPECT_EQ(rig.view.Satellite(0).bar, 0);
  for (Lamp lamp : {Lamp::Header, Lamp::Gps1, Lamp::Gps3, Lamp::Ptu}) {
    EXPECT_EQ(rig.view.LampColour(lamp), kAqua) << LampKey(lamp);
  }
  EXPECT_EQ(checks.record.numSatellites, 3);
  EXPECT_EQ(rig.log.Count(), 1U);

  // A classic frame afterwards counts in GPS time again and shows its accuracy.
  rig.Decode(test::FrameSpec{});
  EXPECT_TRUE(rig.state.timeReference == TimeReference::Gps);
  EXPECT_EQ(rig.view.Text(ReadOut::SpeedAccuracy), "0.3");
}

TEST(CurrentLayout, WithoutSpeedAccuracyAFourSatelliteFixIsTrusted) {
  struct Case {
    std::vector<int> slots;
    bool trusted;
  };
  for (const Case& c : {Case{{3, 40, 120}, false}, Case{{3, 7, 40, 120}, true}}) {
    ReportHooks hooks;
    DecoderRig rig(&hooks);
    CurrentContents contents;
    contents.slots = c.slots;
    contents.velYcm = 1500;  // 15 m/s east
    rig.Decode(test::ToRawFrame(CurrentFrame(contents)));
    EXPECT_EQ(hooks.positionOut, c.trusted ? 1 : 0) << c.slots.size();
    EXPECT_EQ(rig.state.maxWindSpeed, c.trusted ? 15.0 : 0.0) << c.slots.size();
    EXPECT_EQ(rig.log.Count(), 1U);  // the log entry never depended on it
  }
}

TEST(CurrentLayout, APositionAtTheEarthsCentreIsNoFix) {
  ReportHooks hooks;
  DecoderRig rig(&hooks);
  CurrentContents contents;
  contents.ecefXcm = 0;
  const FrameChecks checks = rig.Decode(test::ToRawFrame(CurrentFrame(contents)));
  EXPECT_TRUE(checks.gpsPosition);
  EXPECT_EQ(checks.record.positionValid, 0);
  EXPECT_EQ(rig.view.Text(ReadOut::SatsUsed), "0");
  EXPECT_EQ(rig.view.Text(ReadOut::Latitude), "");
  EXPECT_EQ(hooks.positionOut, 0);
}

// Blocks that move, unknown ones, empty ones, damaged ones.
TEST(BlockWalk, EdgeCases) {
  const std::vector<std::uint8_t> unknown = {0x99, 1, 2, 3, 4, 5};
  const std::vector<std::uint8_t> empty = {0x55};
  struct Case {
    const char* name;
    std::vector<std::vector<std::uint8_t>> extra;
    std::uint8_t damageBlock;  // 0: none; else the last data byte of this block is flipped
    bool broken;
    bool status, ptu, gnss, sats;
  };
  const Case cases[] = {
      {"an unknown block moves the rest", {unknown}, 0, false, true, true, true, true},
      {"a zero-length block is stepped over", {empty, empty}, 0, false, true, true, true, true},
      {"a failing block of known length: the rest still decodes",
       {unknown},
       0x7A,
       false,
       true,
       false,
       true,
       true},
      {"a failing unknown block ends the walk", {unknown}, 0x99, true, false, false, false, false},
  };
  for (const Case& c : cases) {
    CurrentContents contents;
    contents.extraBlocks = c.extra;
    auto bytes = CurrentFrame(contents);
    if (c.damageBlock != 0) {
      const std::size_t at = DataOf(bytes, c.damageBlock);
      bytes[at + bytes[at - 1] - 1] ^= 0xFF;
    }
    const RawFrame frame = test::ToRawFrame(bytes);
    EXPECT_EQ(WalkBlocks(frame).broken, c.broken) << c.name;
    DecoderRig rig;
    const FrameChecks checks = rig.Decode(frame);
    EXPECT_EQ(checks.status, c.status) << c.name;
    EXPECT_EQ(checks.ptu, c.ptu) << c.name;
    EXPECT_EQ(checks.gpsPosition, c.gnss) << c.name;
    EXPECT_EQ(checks.gnssSatellites, c.sats) << c.name;
    if (c.status) {
      EXPECT_EQ(rig.view.Text(ReadOut::SondeId), "X7654321") << c.name;
    }
  }
}

// A length byte pointing past the frame end stops the walk inside the buffer; the blocks after
// it are then read at the layout's fixed places.
TEST(BlockWalk, LengthPastTheFrameEndFallsBackToTheFixedMap) {
  auto current = CurrentFrame();
  current[DataOf(current, 0x82) - 1] = 0xFE;
  RawFrame frame = test::ToRawFrame(current);
  BlockWalk walk = WalkBlocks(frame);
  EXPECT_TRUE(walk.broken);
  EXPECT_EQ(walk.layout, FrameLayout::Current);
  DecoderRig rig;
  FrameChecks checks = rig.Decode(frame);
  EXPECT_TRUE(checks.status && checks.gpsPosition && checks.gnssSatellites);
  EXPECT_EQ(rig.view.Text(ReadOut::SatsUsed), "3");

  // The same in a classic frame: a long frame's length byte at its last block, beyond 500.
  auto classic = test::BuildFrame(test::FrameSpec{});
  classic[275] = 0xFF;  // the position block's length
  classic[0x38] = 0xF0;
  frame = test::ToRawFrame(classic);
  walk = WalkBlocks(frame);
  EXPECT_TRUE(walk.broken);
  EXPECT_EQ(walk.frameEnd, kRawFrameSize);
  checks = rig.Decode(frame);
  EXPECT_EQ(checks.layout, FrameLayout::Classic);
  EXPECT_TRUE(checks.status && checks.gpsTime && checks.gpsPosition && checks.ptu);
}

TEST(BlockWalk, FrameEndByMajorityOfTheTypeByte) {
  RawFrame frame{};
  for (auto [type, end] :
       {std::pair{0x0F, 320}, {0xF0, 500}, {0x0B, 320}, {0xE0, 500}, {0x84, 320}, {0x00, 320}}) {
    frame[kFrameTypePos] = static_cast<std::uint8_t>(type);
    EXPECT_EQ(FrameEnd(frame), end) << type;
  }
}

}  // namespace
}  // namespace windlark
