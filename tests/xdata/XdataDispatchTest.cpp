#include "xdata/XdataDispatch.h"

#include <gtest/gtest.h>

#include <charconv>
#include <filesystem>
#include <fstream>
#include <regex>

#include "decoder/DecoderRig.h"
#include "xdata/XdataRig.h"

namespace windlark {
namespace {

using test::XdataRig;

TEST(ParseHexField, DigitsAndFailures) {
  struct Case {
    std::string_view text;
    int first;
    int count;
    bool ok;
    std::int64_t value;
  };
  const Case cases[] = {
      {"1a2B", 1, 4, true, 0x1A2B}, {"xx7F", 3, 2, true, 0x7F},
      {"12G4", 1, 4, false, 0x12},  // digits before the bad one
      {"G123", 1, 4, false, 0},     {"1234", 1, 0, false, 0},
      {"123", 2, 4, false, 0x23},  // past the end of the text
      {"-12", 1, 3, false, 0},      {" 12", 1, 3, false, 0},
  };
  for (const Case& c : cases) {
    const HexField field = ParseHexField(c.text, c.first, c.count);
    EXPECT_EQ(field.ok, c.ok) << c.text;
    EXPECT_EQ(field.value, c.value) << c.text;
  }
}

TEST(KindOf, KnownIdsAndTheRest) {
  EXPECT_EQ(KindOf(0x05), InstrumentKind::Oif411);
  EXPECT_EQ(KindOf(0x08), InstrumentKind::Cfh);
  EXPECT_EQ(KindOf(0x19), InstrumentKind::Cobald);
  EXPECT_EQ(KindOf(0x3F), InstrumentKind::Skydew);
  for (int id : {0x00, 0x06, 0x20, 0x3E, 0xFF}) EXPECT_EQ(KindOf(id), InstrumentKind::Unknown);
}

// Through the frame decoder: the dispatch happens only for blocks that pass.
TEST(XdataDispatch, FrameDecoderDispatchesGoodBlocks) {
  test::DecoderRig rig;
  InstrumentChain chain;
  rig.ctx.instruments = &chain;
  RawFrame frame = test::ToRawFrame(test::BuildFrame(test::FrameSpec{}));
  int p = test::PutInstrumentBlock(frame, 299, "0503" + std::string(16, '0'));
  const int broken = p;
  p = test::PutInstrumentBlock(frame, p, "1902" + std::string(26, '0'));
  frame[static_cast<std::size_t>(broken) + 3] ^= 0x01;  // would read as id 09
  frame[static_cast<std::size_t>(p)] = 0;
  rig.Decode(frame);

  EXPECT_EQ(chain.PanelCount(), 1);
  ASSERT_NE(chain.Panel(3), nullptr);
  EXPECT_EQ(chain.Panel(3)->Layout().title, "OIF411");
  EXPECT_EQ(chain.Panel(3)->StatusText(), "03");
  EXPECT_EQ(chain.Panel(3)->StatusColour(), kLimeGreen);
  EXPECT_EQ(rig.view.LampColour(Lamp::Ozone), kAqua);
  EXPECT_EQ(rig.view.LampColour(Lamp::Cobald), kNavy);
  EXPECT_EQ(chain.AuxPresent(), (AuxPresentFlags{1, 0, 0, 0, 0}));

  // A new sonde empties the chain and forgets which instruments were heard.
  test::FrameSpec other;
  other.sondeId = "T7654321";
  rig.Decode(other);
  EXPECT_EQ(chain.PanelCount(), 0);
  EXPECT_EQ(chain.AuxPresent(), (AuxPresentFlags{}));
}

TEST(XdataDispatch, FirstBlockCreatesThePanelAndAKindChangeReplacesIt) {
  XdataRig rig;
  rig.Send("0503" + std::string(16, '0'));
  // The status box turning green, then the decoded values.
  EXPECT_EQ(rig.observer.events, (std::vector<std::string>{"created 3", "changed 3", "changed 3"}));
  EXPECT_EQ(rig.chain.PanelKind(3), InstrumentKind::Oif411);
  EXPECT_EQ(rig.Panel(3).Name(), "chain_3");

  rig.observer.events.clear();
  rig.Send("1903" + std::string(26, '0'));
  EXPECT_EQ(rig.observer.events,
            (std::vector<std::string>{"removed 3", "created 3", "changed 3", "changed 3"}));
  EXPECT_EQ(rig.chain.PanelCount(), 1);
  EXPECT_EQ(rig.chain.PanelKind(3), InstrumentKind::Cobald);
  EXPECT_EQ(rig.Panel(3).Layout().title, "COBALD");
  EXPECT_EQ(rig.Panel(3).StatusColour(), kLimeGreen);
  EXPECT_EQ(rig.chain.AuxPresent(), (AuxPresentFlags{1, 0, 1, 0, 0}));
}

TEST(XdataDispatch, UnrecognisedIdsShareOnePanelAndFillItsMemo) {
  XdataRig rig;
  rig.Send("2004ABC");
  rig.Send(std::string("2104x\x01\0y", 8));
  rig.Send("2204", 1);  // no text inside the block
  EXPECT_EQ(std::count(rig.observer.events.begin(), rig.observer.events.end(), "created 4"), 1);
  EXPECT_EQ(rig.Panel(4).Layout().title, "UNKNOWN");
  EXPECT_EQ(rig.Row(4, "Instr. Type"), "0x22");
  EXPECT_EQ(rig.Row(4, "Inst. #"), "4");
  EXPECT_EQ(rig.Panel(4).Memo(), (std::vector<std::string>{"2004ABC", "2104x??y", ""}));
  EXPECT_EQ(rig.view.LampColour(Lamp::Unknown), kAqua);
  EXPECT_EQ(rig.chain.AuxPresent(), (AuxPresentFlags{0, 0, 0, 0, 1}));
}

TEST(XdataDispatch, BlocksWithoutUsableIdOrPositionAreDropped) {
  for (std::string_view head : {"0500", "050A", "05FF", "G503", "05 3", "0G03"}) {
    XdataRig rig;
    const XdataRecord record = rig.Send(std::string(head) + std::string(16, '0'));
    EXPECT_EQ(rig.chain.PanelCount(), 0) << head;
    EXPECT_TRUE(rig.observer.events.empty()) << head;
    EXPECT_EQ(rig.view.LampColour(Lamp::Ozone), kNavy) << head;
    EXPECT_EQ(rig.view.LampColour(Lamp::Unknown), kNavy) << head;
    EXPECT_EQ(rig.chain.AuxPresent(), (AuxPresentFlags{})) << head;
    EXPECT_EQ(record.ozonePresent, 0) << head;
  }
}

TEST(XdataDispatch, SilentPositionsTurnRedAndRecover) {
  XdataRig rig;
  const std::string ozone = "0501" + std::string(16, '0');
  const std::string cobald = "1902" + std::string(26, '0');
  // Two instruments sending in alternate frames stay alive through every check.
  for (int tick = 0; tick < 3; ++tick) {
    rig.Send(ozone);
    rig.Send(cobald);
    rig.chain.CheckFrames();
    EXPECT_EQ(rig.Panel(1).StatusColour(), kLimeGreen);
    EXPECT_EQ(rig.Panel(2).StatusColour(), kLimeGreen);
  }
  // The COBALD falls silent: red at the second check at the latest, panel and values kept.
  rig.Send(ozone);
  rig.chain.CheckFrames();
  EXPECT_EQ(rig.Panel(2).StatusColour(), kRed);
  EXPECT_EQ(rig.Panel(1).StatusColour(), kLimeGreen);
  rig.chain.CheckFrames();
  EXPECT_EQ(rig.Panel(1).StatusColour(), kRed);
  EXPECT_EQ(rig.chain.PanelCount(), 2);
  EXPECT_EQ(rig.Row(2, "Serial #"), "0");

  rig.observer.events.clear();
  rig.Send(cobald);
  EXPECT_EQ(rig.Panel(2).StatusColour(), kLimeGreen);
  EXPECT_EQ(rig.observer.events.front(), "changed 2");
}

TEST(XdataDispatch, ClearFrameRemovesPanelsButKeepsTheHeardFlags) {
  XdataRig rig;
  rig.Send("0501" + std::string(16, '0'));
  rig.Send("3F07" + std::string(34, '0'));
  rig.observer.events.clear();
  rig.chain.ClearFrame();
  EXPECT_EQ(rig.observer.events, (std::vector<std::string>{"removed 1", "removed 7", "cleared"}));
  EXPECT_EQ(rig.chain.PanelCount(), 0);
  EXPECT_EQ(rig.chain.Panel(1), nullptr);
  EXPECT_EQ(rig.chain.PanelKind(7), InstrumentKind::None);
  EXPECT_EQ(rig.chain.AuxPresent(), (AuxPresentFlags{1, 0, 0, 1, 0}));
}

// Fields lie at fixed places whatever n is; beyond the frame's last byte a field fails.
TEST(XdataDispatch, FieldsReachingPastTheFrameEndFail) {
  XdataRig rig;
  RawFrame frame{};
  constexpr int p = 468;  // text character k is frame byte 470 + k
  test::PutInstrumentBlock(frame, p, "1901");
  for (std::size_t at = 477; at < frame.size(); ++at) frame[at] = '1';
  const XdataRecord record = rig.Send(frame, p);
  EXPECT_EQ(record.cobaldRedSignal, 0x111111);  // characters 17-22: bytes 487-492
  EXPECT_EQ(record.cobaldBlueMonitor, 0x1111);  // characters 23-26: bytes 493-496
  EXPECT_EQ(record.cobaldRedMonitor, 0);        // characters 27-30 would need byte 500
  EXPECT_EQ(rig.Row(1, "Monitor Red"), "0");
}

// Frames of sonde K4020244 with an XDATA block at 299 from an instrument of id 0x40 that this
// program does not know; the middle one has a corrupt byte in that block.
TEST(XdataDispatch, RealXdataFramesReachTheUnknownPanel) {
  const std::filesystem::path dir = WINDLARK_SHARED_DATA "/rs1729_RS";
  const auto frames = dir / "rs41txt_example_frames.hex.txt";
  const auto reference = dir / "rs41txt_example_frames.ref_rs41mod.jsonl";
  if (!std::filesystem::exists(frames) || !std::filesystem::exists(reference)) {
    GTEST_SKIP() << "real RS41 frames not found at " << dir;
  }
  std::vector<RawFrame> raw;
  std::ifstream hexIn(frames);
  for (std::string line; std::getline(hexIn, line);) {
    if (line.empty() || line.front() == '#') continue;
    RawFrame frame{};
    for (std::size_t k = 0; k < kReceivedFrameSize && 2 * k + 1 < line.size(); ++k)
      std::from_chars(line.data() + 2 * k, line.data() + 2 * k + 2, frame[k], 16);
    raw.push_back(frame);
  }
  std::vector<std::string> aux;
  std::ifstream jsonIn(reference);
  const std::regex auxField("\"aux\": \"([^\"]*)\"");
  for (std::string line; std::getline(jsonIn, line);) {
    std::smatch m;
    aux.push_back(std::regex_search(line, m, auxField) ? m[1].str() : std::string());
  }
  ASSERT_EQ(raw.size(), 5U);
  ASSERT_EQ(aux.size(), 5U);

  test::DecoderRig rig;
  InstrumentChain chain;
  rig.ctx.instruments = &chain;
  for (std::size_t k = 2; k < 5; ++k) rig.Decode(raw[k]);
  ASSERT_EQ(chain.PanelKind(1), InstrumentKind::Unknown);
  EXPECT_EQ(chain.PanelCount(), 1);
  EXPECT_EQ(chain.Panel(1)->Value(UnknownRow::InstrType), "0x40");
  EXPECT_EQ(chain.Panel(1)->Memo(), (std::vector<std::string>{aux[2], aux[4]}));
  EXPECT_EQ(chain.AuxPresent(), (AuxPresentFlags{0, 0, 0, 0, 1}));
}

}  // namespace
}  // namespace windlark
