#include "records/RawCapture.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "decoder/DecoderRig.h"
#include "support/FileSizeLimit.h"

namespace windlark {
namespace {

class RawCaptureTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("TZ", "UTC", 1);
    tzset();
    m_dir = std::filesystem::temp_directory_path() /
            ("windlark-raw-" + std::to_string(::getpid()) + "-" +
             ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(m_dir);
  }
  void TearDown() override {
    std::filesystem::remove_all(m_dir);
    unsetenv("TZ");
    tzset();
  }
  static std::time_t At(int year, int month, int day, int hour, int minute) {
    std::tm t{};
    t.tm_year = year - 1900;
    t.tm_mon = month - 1;
    t.tm_mday = day;
    t.tm_hour = hour;
    t.tm_min = minute;
    return timegm(&t);
  }
  std::filesystem::path m_dir;
};

TEST_F(RawCaptureTest, NamesTheFileFromTheEstimatedLaunchAndWritesOneLinePerFrame) {
  test::DecoderRig rig;
  rig.state.saveRaw = true;
  const std::time_t now = At(2024, 3, 7, 10, 30);

  // Before the first valid status block nothing is written.
  auto noStatus = test::BuildFrame(test::FrameSpec{});
  noStatus[60] ^= 1;
  RawFrame frame = test::ToRawFrame(noStatus);
  rig.Decode(frame);
  EXPECT_EQ(CaptureFrame(frame, rig.state, rig.view, m_dir.string(), now), "");
  EXPECT_FALSE(rig.state.rawFileNamed);

  test::FrameSpec frameSpec;
  frameSpec.frameNumber = 3600;  // one hour after power-on: the hour stays 10
  frameSpec.sondeId = "S4610487";
  frame = test::ToRawFrame(test::BuildFrame(frameSpec));
  rig.Decode(frame);
  EXPECT_EQ(CaptureFrame(frame, rig.state, rig.view, m_dir.string(), now), "");
  const auto file = m_dir / "2024-03-07-10-S4610487.txt";
  EXPECT_EQ(rig.state.rawFileName, file.string());
  EXPECT_EQ(rig.state.launchTimeText, "2024-03-07-10");
  EXPECT_EQ(rig.view.StatusPanel(2, 2), "Save Raw File: Active");
  EXPECT_EQ(rig.view.StatusPanel(1, 2), "Estimated Launch Time: 2024-03-07-10 (Local)");

  // A frame whose four main blocks all fail is not written.
  RawFrame garbage{};
  garbage.fill(0x33);
  rig.Decode(garbage);
  CaptureFrame(garbage, rig.state, rig.view, m_dir.string(), now);
  rig.Decode(frame);
  CaptureFrame(frame, rig.state, rig.view, m_dir.string(), now);

  std::ifstream in(file, std::ios::binary);
  const std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const std::string line = RawLine(frame) + "\r\n";
  EXPECT_EQ(content, line + line);
  EXPECT_EQ(line.size(), 1412U);
  EXPECT_EQ(line.substr(0, 12), "86 35 F4 40 ");
}

TEST_F(RawCaptureTest, SondeIdFromTheAirNeverLeavesTheFolder) {
  struct Case {
    const char* id;
    const char* safe;
  };
  for (const Case& c : {Case{"../../x1", "______x1"}, Case{"a/b\\c\x01\x7f", "a_b_c__"},
                        Case{"..", "__"}, Case{"", "_"}, Case{"R0310232", "R0310232"}}) {
    EXPECT_EQ(SafeFileComponent(c.id), c.safe);
  }
  test::DecoderRig rig;
  rig.state.saveRaw = true;
  test::FrameSpec frameSpec;
  frameSpec.sondeId = "../../et";
  const RawFrame frame = test::ToRawFrame(test::BuildFrame(frameSpec));
  rig.Decode(frame);
  EXPECT_EQ(CaptureFrame(frame, rig.state, rig.view, m_dir.string(), At(2024, 1, 1, 0, 0)), "");
  EXPECT_EQ(std::filesystem::path(rig.state.rawFileName).parent_path(), m_dir);
}

TEST_F(RawCaptureTest, AnUnwritableFolderIsReportedNotIgnored) {
  test::DecoderRig rig;
  rig.state.saveRaw = true;
  const RawFrame frame = test::ToRawFrame(test::BuildFrame(test::FrameSpec{}));
  rig.Decode(frame);
  const std::string error =
      CaptureFrame(frame, rig.state, rig.view, (m_dir / "missing" / "dir").string(), 0);
  EXPECT_NE(error.find("No such file or directory"), std::string::npos) << error;
}

TEST_F(RawCaptureTest, AFailedWriteLeavesNoTornLineBehind) {
  test::DecoderRig rig;
  rig.state.saveRaw = true;
  const RawFrame frame = test::ToRawFrame(test::BuildFrame(test::FrameSpec{}));
  rig.Decode(frame);
  const std::string line = RawLine(frame) + "\r\n";
  ASSERT_EQ(CaptureFrame(frame, rig.state, rig.view, m_dir.string(), 0), "");
  {
    // The disk fills in the middle of the second line.
    test::FileSizeLimit limit(line.size() + 100);
    EXPECT_NE(CaptureFrame(frame, rig.state, rig.view, m_dir.string(), 0), "");
  }
  ASSERT_EQ(CaptureFrame(frame, rig.state, rig.view, m_dir.string(), 0), "");
  std::ifstream in(rig.state.rawFileName, std::ios::binary);
  const std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_EQ(content, line + line);
}

}  // namespace
}  // namespace windlark
