#include "records/RawReplay.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <future>
#include <thread>

#include "decoder/DecoderRig.h"
#include "records/RawCapture.h"

namespace windlark {
namespace {

class RawReplayTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_dir = std::filesystem::temp_directory_path() /
            ("windlark-replay-" + std::to_string(::getpid()) + "-" +
             ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(m_dir);
  }
  void TearDown() override { std::filesystem::remove_all(m_dir); }
  std::string Write(const std::string& content) {
    const auto path = (m_dir / "flight.txt").string();
    std::ofstream(path, std::ios::binary) << content;
    return path;
  }
  static RawFrame Frame(int number) {
    test::FrameSpec frameSpec;
    frameSpec.frameNumber = static_cast<std::uint16_t>(number);
    return test::ToRawFrame(test::BuildFrame(frameSpec));
  }
  // Replays unpaced and returns the frame numbers the decoder saw with a good status block.
  static std::vector<int> Replay(RawReplay& replay, std::vector<std::string>* messages = nullptr) {
    test::DecoderRig rig;
    std::vector<int> numbers;
    replay.Run(
        [&](const RawFrame& frame) {
          if (rig.Decode(frame).status) numbers.push_back(rig.state.frameNumber);
        },
        [&](const std::string& m) {
          if (messages != nullptr) messages->push_back(m);
        });
    return numbers;
  }
  std::filesystem::path m_dir;
};

TEST_F(RawReplayTest, LineReaderRules) {
  // CR LF and LF endings, an empty line, a line across the 65 535-byte block boundary, and a
  // last line without a line end that is not returned.
  const std::string longLine(70000, 'x');
  const std::string path = Write("one\r\ntwo\n\n" + longLine + "\r\ntail");
  std::FILE* file = std::fopen(path.c_str(), "rb");
  ASSERT_NE(file, nullptr);
  RawLineReader reader(file);
  std::vector<std::string> lines;
  for (std::string line; reader.Next(line);) lines.push_back(line);
  std::fclose(file);
  EXPECT_EQ(lines, (std::vector<std::string>{"one", "two", "", longLine}));
}

TEST_F(RawReplayTest, RecordedFileReplaysWithTheHeader) {
  const std::string path = Write(RawLine(Frame(7)) + "\r\n" + RawLine(Frame(8)) + "\r\n");
  RawReplay replay(path);
  replay.SetUnpaced();
  EXPECT_EQ(Replay(replay), (std::vector<int>{7, 8}));
  EXPECT_EQ(replay.LineOffset(), 0);
}

TEST_F(RawReplayTest, LinesStartingAtByteEightAreRecognised) {
  std::string content;
  for (int n : {20, 21}) content += RawLine(Frame(n)).substr(8 * 3) + "\n";
  RawReplay replay(Write(content));
  replay.SetUnpaced();
  EXPECT_EQ(Replay(replay), (std::vector<int>{20, 21}));
  EXPECT_EQ(replay.LineOffset(), 8);
}

TEST_F(RawReplayTest, BadLinesAreSkippedWithAMessageAndShortLinesKeepOldBytes) {
  std::string bad = RawLine(Frame(31));
  bad[30] = 'Z';
  // An empty line decodes the previous frame once more; a short line overwrites only its start.
  const std::string shortLine = RawLine(Frame(33)).substr(0, 3 * 70);
  const std::string path = Write(RawLine(Frame(30)) + "\n" + bad + "\n\n" + shortLine + "\n");
  RawReplay replay(path);
  replay.SetUnpaced();
  std::vector<std::string> messages;
  // The short line carries frame 33's number and id, but its status CRC lies past its end.
  EXPECT_EQ(Replay(replay, &messages), (std::vector<int>{30, 30}));
  ASSERT_EQ(messages.size(), 1U);
  EXPECT_NE(messages[0].find("Line 2"), std::string::npos) << messages[0];
}

TEST_F(RawReplayTest, MissingFileFailsWithAMessage) {
  RawReplay replay((m_dir / "nope.txt").string());
  std::vector<std::string> messages;
  bool decoded = false;
  EXPECT_FALSE(replay.Run([&](const RawFrame&) { decoded = true; },
                          [&](const std::string& m) { messages.push_back(m); }));
  EXPECT_FALSE(decoded);
  ASSERT_EQ(messages.size(), 1U);
  EXPECT_NE(messages[0].find("Cannot open"), std::string::npos);
}

TEST_F(RawReplayTest, PauseResumeAndTerminateWhilePaused) {
  std::string content;
  for (int n = 0; n < 5; ++n) content += RawLine(Frame(n)) + "\n";
  const std::string path = Write(content);

  RawReplay replay(path);
  replay.SetSpeed(ReplaySpeed::Max);
  std::atomic<int> seen{0};
  std::thread worker([&] {
    replay.Run(
        [&](const RawFrame&) {
          if (++seen == 2) replay.SetSpeed(ReplaySpeed::Stop);
        },
        [](const std::string&) {});
  });
  while (seen < 2) std::this_thread::yield();
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_EQ(seen, 2);  // paused after the current frame
  EXPECT_TRUE(replay.Paused());
  replay.SetSpeed(ReplaySpeed::Max);
  worker.join();
  EXPECT_EQ(seen, 5);
  EXPECT_EQ(replay.DelayMs(), 1);

  RawReplay stopped(path);
  stopped.SetSpeed(ReplaySpeed::Stop);
  std::thread worker2([&] { stopped.Run([](const RawFrame&) {}, [](const std::string&) {}); });
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  stopped.Terminate();
  worker2.join();  // returns although paused
  EXPECT_EQ(stopped.FramesDecoded(), 0);
}

// A terminate (or speed change) that arrives while the paused worker has just tested its
// condition and not yet gone to sleep must still wake it.
TEST_F(RawReplayTest, AWakeUpBetweenTheTestAndTheSleepIsNotLost) {
  const std::string path = Write(RawLine(Frame(1)) + "\n");
  for (const bool terminate : {true, false}) {
    RawReplay replay(path);
    replay.SetSpeed(ReplaySpeed::Stop);
    std::promise<void> tested;
    bool first = true;
    replay.SetBeforeSleepHook([&] {
      if (!first) return;
      first = false;
      tested.set_value();
      // Hold the gap open long enough for the other thread's wake-up to land in it.
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    });
    auto worker = std::async(std::launch::async, [&] {
      replay.Run([](const RawFrame&) {}, [](const std::string&) {});
    });
    tested.get_future().wait();
    if (terminate) {
      replay.Terminate();
    } else {
      replay.SetSpeed(ReplaySpeed::Max);
    }
    const bool ended = worker.wait_for(std::chrono::seconds(3)) == std::future_status::ready;
    EXPECT_TRUE(ended) << (terminate ? "terminate" : "resume") << " was lost";
    replay.Terminate();  // releases a worker that missed it, so the test can end
    worker.wait();
  }
}

TEST_F(RawReplayTest, SpeedsAndTheEndOfAReplay) {
  RawReplay replay("unused");
  struct Case {
    ReplaySpeed speed;
    int delay;
  };
  for (const Case& c :
       {Case{ReplaySpeed::Half, 2000}, Case{ReplaySpeed::Normal, 1000},
        Case{ReplaySpeed::Four, 250}, Case{ReplaySpeed::Eight, 125}, Case{ReplaySpeed::Max, 1}}) {
    replay.SetSpeed(c.speed);
    EXPECT_EQ(replay.DelayMs(), c.delay);
    EXPECT_FALSE(replay.Paused());
  }
  test::DecoderRig rig;
  rig.lamps.LightLamp(Lamp::Header);
  rig.lamps.LightLamp(Lamp::Input);
  ShowInputSource(rig.ctx, "Input source: flight.txt");
  ShowReplayFinished(rig.ctx);
  EXPECT_EQ(rig.view.LampColour(Lamp::Header), kNavy);
  EXPECT_EQ(rig.view.LampColour(Lamp::Input), kNavy);
  EXPECT_EQ(rig.view.StatusPanel(1, 1), "Input source: None");
}

}  // namespace
}  // namespace windlark
