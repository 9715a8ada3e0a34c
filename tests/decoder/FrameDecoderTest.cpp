#include "decoder/FrameDecoder.h"

#include <gtest/gtest.h>
#include <sys/mman.h>
#include <unistd.h>

#include <new>

#include "decoder/Crc.h"
#include "decoder/DecoderRig.h"

namespace windlark {
namespace {

using test::DecoderRig;
using test::FrameSpec;

class CountingHooks : public DecoderHooks {
 public:
  void EnableAuxiliaryPanel() override { ++auxEnabled; }
  int auxEnabled = 0;
};

// Writes an auxiliary block 0x7E n data CRC at p; returns the next block position.
int PutAux(RawFrame& frame, int p, std::string_view data, bool goodCrc = true) {
  const auto at = static_cast<std::size_t>(p);
  frame[at] = 0x7E;
  frame[at + 1] = static_cast<std::uint8_t>(data.size());
  for (std::size_t k = 0; k < data.size(); ++k)
    frame[at + 2 + k] = static_cast<std::uint8_t>(data[k]);
  const std::uint16_t crc = Crc16(std::span(frame).subspan(at + 2, data.size()));
  const auto stored = static_cast<std::uint16_t>(goodCrc ? crc : crc ^ 0x0101);
  frame[at + 2 + data.size()] = static_cast<std::uint8_t>(stored);
  frame[at + 3 + data.size()] = static_cast<std::uint8_t>(stored >> 8);
  return p + static_cast<int>(data.size()) + 4;
}

TEST(FrameDecoder, EachBlockStandsOnItsOwnCrc) {
  DecoderRig rig;
  auto bytes = test::BuildFrame(FrameSpec{});
  bytes[60] ^= 0x01;  // status block broken
  rig.state.noDataCounter = 7;
  const FrameChecks checks = rig.Decode(test::ToRawFrame(bytes));
  EXPECT_FALSE(checks.status);
  EXPECT_FALSE(rig.state.statusValid);
  EXPECT_TRUE(checks.gpsTime && checks.gpsPosition && checks.ptu);
  EXPECT_TRUE(rig.state.positionValid);
  EXPECT_EQ(rig.state.noDataCounter, 0);
  EXPECT_EQ(rig.view.LampColour(Lamp::Header), kNavy);
  EXPECT_EQ(rig.view.LampColour(Lamp::Gps3), kAqua);
  EXPECT_EQ(rig.view.Text(ReadOut::FrameNumber), "");
}

TEST(FrameDecoder, AllBlocksFailingChangesOnlyTheFlags) {
  DecoderRig rig;
  rig.Decode(FrameSpec{});
  const std::string frameText = rig.view.Text(ReadOut::FrameNumber);
  RawFrame garbage{};
  garbage.fill(0x5A);
  const FrameChecks checks = rig.Decode(garbage);
  EXPECT_FALSE(checks.status || checks.gpsTime || checks.gpsPosition || checks.ptu);
  EXPECT_FALSE(rig.state.statusValid || rig.state.gpsTimeValid || rig.state.positionValid ||
               rig.state.ptuValid);
  EXPECT_EQ(rig.view.Text(ReadOut::FrameNumber), frameText);
}

TEST(FrameDecoder, AuxiliaryChainSkipsBadBlocksAndEmptyOnes) {
  CountingHooks hooks;
  DecoderRig rig(&hooks);
  RawFrame frame = test::ToRawFrame(test::BuildFrame(FrameSpec{}));
  int p = PutAux(frame, 299, "0501000000", false);
  p = PutAux(frame, p,
             std::string("5\x00"
                         "10",
                         4));
  PutAux(frame, p, "0501abcdef");
  const FrameChecks checks = rig.Decode(frame);
  ASSERT_EQ(checks.aux.size(), 3U);
  EXPECT_FALSE(checks.aux[0].crcOk);
  EXPECT_TRUE(checks.aux[1].crcOk);
  EXPECT_TRUE(checks.aux[2].crcOk);
  // Only the last passes and has a non-zero second byte.
  EXPECT_EQ(hooks.auxEnabled, 1);
  EXPECT_EQ(rig.view.LampColour(Lamp::Xdata), kAqua);
}

TEST(FrameDecoder, AuxiliaryScanStopsAtTheFrameEnd) {
  DecoderRig rig;
  RawFrame frame = test::ToRawFrame(test::BuildFrame(FrameSpec{}));
  // p = 460, n = 37: p + n + 3 = 500, so the block is not even checked.
  int p = 299;
  while (p < 460)
    p = PutAux(frame, p, std::string(static_cast<std::size_t>(std::min(40, 460 - p - 4)), 'A'));
  ASSERT_EQ(p, 460);
  frame[460] = 0x7E;
  frame[461] = 37;
  const FrameChecks checks = rig.Decode(frame);
  EXPECT_FALSE(checks.aux.empty());
  EXPECT_NE(checks.aux.back().position, 460);
}

TEST(FrameDecoder, AuxiliaryBlockEndingAtTheLastByteReadsNothingBeyond) {
  // The frame sits right before an inaccessible page: a read past byte 499 faults.
  const auto page = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
  void* map = ::mmap(nullptr, 2 * page, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  ASSERT_NE(map, MAP_FAILED);
  auto* base = static_cast<std::uint8_t*>(map);
  ASSERT_EQ(::mprotect(base + page, page, PROT_NONE), 0);
  auto* frame = new (base + page - sizeof(RawFrame))
      RawFrame(test::ToRawFrame(test::BuildFrame(FrameSpec{})));
  // 299 + 197 + 3 = 499: the block's CRC takes the frame's last two bytes.
  EXPECT_EQ(PutAux(*frame, 299, "05" + std::string(195, '0')), kRawFrameSize);
  DecoderRig rig;
  const FrameChecks checks = rig.Decode(*frame);
  ASSERT_EQ(checks.aux.size(), 1U);
  EXPECT_TRUE(checks.aux[0].crcOk);
  ::munmap(map, 2 * page);
}

// A chain whose last block ends exactly at the buffer's end reads nothing past it.
TEST(FrameDecoder, AuxiliaryChainEndingAtTheBufferEndStopsThere) {
  DecoderRig rig;
  RawFrame frame = test::ToRawFrame(test::BuildFrame(FrameSpec{}));
  int p = 299;
  while (p < 460)
    p = PutAux(frame, p, std::string(static_cast<std::size_t>(std::min(40, 460 - p - 4)), 'A'));
  ASSERT_EQ(p, 460);
  p = PutAux(frame, p, std::string(36, 'B'));  // 460 + 36 + 3 = 499: still checked
  ASSERT_EQ(p, kRawFrameSize);
  const FrameChecks checks = rig.Decode(frame);
  ASSERT_FALSE(checks.aux.empty());
  EXPECT_EQ(checks.aux.back().position, 460);
  EXPECT_TRUE(checks.aux.back().crcOk);
}

TEST(FrameDecoder, GpsTimeTextsAndSatellites) {
  struct Case {
    std::uint16_t week;
    std::uint32_t tow;
    const char* shown;
    const char* stamp;
  };
  const Case cases[] = {
      {2000, 0, "2018/05/06 T00:00:00.000", "2018-05-06T00:00:00Z"},
      {2000, 604799999, "2018/05/12 T23:59:59.999", "2018-05-12T23:59:59Z"},
      {1856, 43166000, "2015/08/02 T11:59:26.000", "2015-08-02T11:59:26Z"},
      {0, 0, "1980/01/06 T00:00:00.000", "1980-01-06T00:00:00Z"},
  };
  for (const auto& c : cases) {
    DecoderRig rig;
    FrameSpec frameSpec;
    frameSpec.gpsWeek = c.week;
    frameSpec.timeOfWeekMs = c.tow;
    rig.Decode(frameSpec);
    EXPECT_EQ(rig.view.Text(ReadOut::GpsTime), c.shown);
    EXPECT_EQ(rig.state.timestamp, c.stamp);
  }
  DecoderRig rig;
  auto bytes = test::BuildFrame(FrameSpec{});
  bytes[155] = 255;  // slot 0 empty
  bytes[157] = 17;
  bytes[158] = 200;  // strength 200 shows a bar of 72
  test::SealBlock(bytes, 149, 30);
  rig.Decode(test::ToRawFrame(bytes));
  EXPECT_EQ(rig.view.Satellite(0).label, "");
  EXPECT_EQ(rig.view.Satellite(0).bar, 0);
  EXPECT_EQ(rig.view.Satellite(1).label, "17");
  EXPECT_EQ(rig.view.Satellite(1).bar, 72);
}

}  // namespace
}  // namespace windlark
