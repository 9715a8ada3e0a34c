#include "rotor/RotorTexts.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <thread>

#include "rotor/RotorStore.h"
#include "rotor/RotorTracking.h"

namespace windlark {
namespace {

TEST(RotorTextsTest, EveryProtocolFormatsAnglesWithThreeDigits) {
  EXPECT_EQ(FormatDegrees(45), "045");
  EXPECT_EQ(FormatDegrees(7), "007");
  EXPECT_EQ(FormatDegrees(-3), "-003");
  EXPECT_EQ(FormatDegrees(-2), "-002");
  EXPECT_EQ(FormatDegrees(360), "360");
  EXPECT_EQ(FormatDegrees(1234), "1234");
  EXPECT_EQ(Gs232MoveCommand(45, 10), "W045 010");
  EXPECT_EQ(Gs232MoveCommand(5, 0), "W005 000");
  EXPECT_EQ(Gs232MoveCommand(100, -2), "W100 -002");
  EXPECT_EQ(EasyCommLine(5, 0), "AZ005.0 EL000.0\r");
  EXPECT_EQ(EasyCommLine(45, 10), "AZ045.0 EL010.0\r");
  EXPECT_EQ(RawLine(5, 0), "005 000\r\n");
  EXPECT_EQ(RawLine(45, -2), "045 -002\r\n");
  EXPECT_EQ(RotctldMoveCommand(5, 0), "P 5 0");
  EXPECT_EQ(PositionLabelText("123"), "123\u00B0");
}

TEST(RotorTextsTest, Gs232RepliesInEitherFormAndNothingElse) {
  struct Case {
    const char* reply;
    std::optional<std::pair<std::string, std::string>> position;
  };
  const Case cases[] = {
      {"AZ=123EL=045", std::pair{"123", "045"}},
      {"az=123el=045", std::pair{"123", "045"}},
      {"Az=123eL=045\r", std::pair{"123", "045"}},
      {"+0123+0045", std::pair{"123", "045"}},
      {"+0123+0045\r\n", std::pair{"123", "045"}},
      {"AZ=123 EL=045", std::nullopt},
      {"AZ=123", std::nullopt},
      {"", std::nullopt},
      {"\x7f\x12garbage!!!!!", std::nullopt},
      {"AZ=1x3EL=045", std::nullopt},  // line noise where a digit belongs
      {"+0123-0045", std::nullopt},
  };
  for (const Case& c : cases) {
    const std::optional<RotorPosition> got = ParseGs232Position(c.reply);
    ASSERT_EQ(got.has_value(), c.position.has_value()) << c.reply;
    if (got) {
      EXPECT_EQ(got->azimuth, c.position->first) << c.reply;
      EXPECT_EQ(got->elevation, c.position->second) << c.reply;
    }
  }
}

TEST(RotorTextsTest, BaudRatesNamesAndRotctldReplies) {
  EXPECT_EQ(RotorBaudRate(0), 1200);
  EXPECT_EQ(RotorBaudRate(3), 9600);
  EXPECT_EQ(RotorBaudRate(7), 115200);
  EXPECT_EQ(RotorBaudRate(42), 9600);
  EXPECT_EQ(RotorProtocolName(0), "Yaesu AZ/EL (GS232 A/ GS232B)");
  EXPECT_EQ(RotorProtocolName(1), "Registry keys");
  EXPECT_EQ(RotorProtocolName(4), "hamlib rotctld");
  EXPECT_EQ(QueryIntervalTicks(5), 10);
  EXPECT_EQ(SerialCannotOpenText("/dev/ttyUSB9"), "Serial: Cannot open /dev/ttyUSB9 port");
  EXPECT_EQ(SerialOpenedText("/dev/ttyUSB0", 9600), "Serial: /dev/ttyUSB0 Opened 9600 bps");
  EXPECT_TRUE(RotctldReplyOk("RPRT 0"));
  EXPECT_FALSE(RotctldReplyOk("RPRT -1"));
  EXPECT_EQ(ParseRotctldAngle("45.000000"), 45);
  EXPECT_EQ(ParseRotctldAngle("12.5"), 12);  // halves to even
  EXPECT_EQ(ParseRotctldAngle("-2.0"), -2);
  EXPECT_EQ(ParseRotctldAngle("RPRT -1"), std::nullopt);
  EXPECT_EQ(ParseRotctldAngle("nan"), std::nullopt);
}

TEST(RotorTrackingTest, SensitivityRule) {
  // Sensitivity 1 from (100, 10).
  EXPECT_FALSE(TrackingNeedsMove(100, 10, 100, 10, 1));
  EXPECT_TRUE(TrackingNeedsMove(100, 10, 101, 10, 1));
  EXPECT_TRUE(TrackingNeedsMove(100, 10, 100, 9, 1));
  // Sensitivity 0 moves on every call; no wrap at north.
  EXPECT_TRUE(TrackingNeedsMove(100, 10, 100, 10, 0));
  EXPECT_TRUE(TrackingNeedsMove(359, 10, 0, 10, 5));
  // Sensitivity 5 with a sonde drifting 1 degree per frame: every fifth frame.
  int last = 100;
  std::vector<int> moves;
  for (int frame = 1; frame <= 15; ++frame) {
    if (TrackingNeedsMove(last, 10, 100 + frame, 10, 5)) {
      moves.push_back(frame);
      last = 100 + frame;
    }
  }
  EXPECT_EQ(moves, (std::vector<int>{5, 10, 15}));
}

TEST(RotorTrackingTest, InstantSetTyping) {
  EXPECT_TRUE(InstantSetAccepts("", '3', true));
  EXPECT_TRUE(InstantSetAccepts("3", '6', true));
  EXPECT_FALSE(InstantSetAccepts("36", '0', true));  // 360
  EXPECT_TRUE(InstantSetAccepts("35", '9', true));
  EXPECT_TRUE(InstantSetAccepts("18", '0', false));
  EXPECT_FALSE(InstantSetAccepts("18", '1', false));
  EXPECT_FALSE(InstantSetAccepts("1", 'a', true));
  EXPECT_FALSE(InstantSetAccepts("1", '-', false));
  EXPECT_TRUE(InstantSetAccepts("0", '7', false));  // reads as 7
  EXPECT_EQ(InstantSetValue(""), 0);
  EXPECT_EQ(InstantSetValue("36"), 36);
}

TEST(RotorTrackingTest, PresetEntriesSkipBlankRowsAndNoticeEdits) {
  // Rows 1, 2 and 4 taken, row 3 blank: the drop-down lists three names.
  const std::vector<RotorPreset> rows = {
      {"Launch site", 123, 4}, {"North", 0, 10}, {"", 0, 0}, {"Ridge", 359, 180}};
  EXPECT_EQ(PresetChoices({"", "Launch site", "North", "", "Ridge"}),
            (std::vector<std::string>{"Launch site", "North", "Ridge"}));
  const auto ridge = PresetForEntry(rows, 2, "Ridge");
  ASSERT_TRUE(ridge);
  EXPECT_EQ(ridge->azimuthDeg, 359);
  EXPECT_EQ(ridge->elevationDeg, 180);
  EXPECT_FALSE(PresetForEntry(rows, 3, "Ridge"));          // no such row any more
  EXPECT_FALSE(PresetForEntry(rows, 1, "Renamed North"));  // edited under the window
  EXPECT_FALSE(PresetForEntry(rows, -1, ""));
}

TEST(RotorTrackingTest, ALaterRequestReplacesAPendingOne) {
  RotorRequests requests;
  EXPECT_EQ(requests.Take().kind, RotorRequests::Kind::None);
  requests.MoveTo(10, 20);
  requests.MoveTo(30, 40);
  RotorRequests::Request taken = requests.Take();
  EXPECT_EQ(taken.kind, RotorRequests::Kind::Move);
  EXPECT_EQ(taken.azimuth, 30);
  EXPECT_EQ(taken.elevation, 40);
  EXPECT_EQ(requests.Take().kind, RotorRequests::Kind::None);
  requests.MoveTo(1, 2);
  requests.StopRotor();
  EXPECT_EQ(requests.Take().kind, RotorRequests::Kind::Stop);
}

TEST(RotorStoreTest, ReadersSeeTheOldOrTheNewValueWhileItIsReplaced) {
  const std::filesystem::path dir =
      std::filesystem::path(testing::TempDir()) / "rotor-store" / "Rotor";
  std::filesystem::remove_all(dir);
  RotorStore store(dir);
  ASSERT_EQ(store.Write(5, 0), "");
  EXPECT_EQ(store.Read("AZ"), "005");
  EXPECT_EQ(store.Read("EL"), "000");
  ASSERT_EQ(store.Write(45, -2), "");
  EXPECT_EQ(store.Read("EL"), "-002");

  std::atomic<bool> done{false};
  std::thread writer([&] {
    for (int i = 0; i < 500; ++i) store.Write(i % 2 == 0 ? 123 : 7, 45);
    done = true;
  });
  int reads = 0;
  while (!done) {
    const std::optional<std::string> az = store.Read("AZ");
    ASSERT_TRUE(az);
    ASSERT_TRUE(*az == "123" || *az == "007" || *az == "045") << *az;
    ++reads;
  }
  writer.join();
  EXPECT_GT(reads, 0);
  // A folder that cannot be made is said so.
  std::filesystem::create_directories(dir.parent_path() / "blocker");
  std::ofstream(dir.parent_path() / "blocker" / "file") << "x";
  RotorStore blocked(dir.parent_path() / "blocker" / "file" / "Rotor");
  EXPECT_NE(blocked.Write(1, 2), "");
  EXPECT_NE(RotorStore("").Write(1, 2), "");
}

}  // namespace
}  // namespace windlark
