#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "decoder/DecoderRig.h"
#include "gps/ChaseMap.h"
#include "gps/PositionOut.h"

namespace windlark {
namespace {

namespace fs = std::filesystem;

std::string ReadAll(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

struct TempDir {
  fs::path path;
  TempDir() {
    path = fs::temp_directory_path() /
           ("windlark-posout-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
            "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(path);
  }
  ~TempDir() { fs::remove_all(path); }
};

TEST(PositionOut, TextOfTheExampleAndItsEdges) {
  SondeState state;
  state.sondeId = "S2310478";
  state.frameNumber = 4711;
  state.latitude = 44.5;
  state.longitude = 7.625;
  state.altitude = 10345.26;
  EXPECT_EQ(SondePosText(state), "S2310478\t4711\t44.500000\t7.625000\t10345.3");
  state.frameNumber = 0;
  state.longitude = -7.625;
  EXPECT_EQ(SondePosText(state), "S2310478\t0\t44.500000\t-7.625000\t10345.3");
  // An id from the air never shifts the fields.
  state.sondeId = "S23\t04\n8";
  EXPECT_EQ(SondePosText(state), "S23?04?8\t0\t44.500000\t-7.625000\t10345.3");
}

// The window's side of the hook: the file follows every frame the decoder lets through.
struct PublishingHooks : DecoderHooks {
  PositionOutWriter* writer = nullptr;
  const SondeState* state = nullptr;
  int writes = 0;
  void WritePositionOut() override {
    ++writes;
    EXPECT_EQ(writer->Write(SondePosText(*state)), "");
  }
};

TEST(PositionOut, FollowsFramesWithATrustworthyPositionOnly) {
  TempDir dir;
  PositionOutWriter writer(dir.path / "GPSOut" / "SondePos");
  PublishingHooks hooks;
  hooks.writer = &writer;
  test::DecoderRig rig(&hooks);
  hooks.state = &rig.state;

  test::FrameSpec frame;
  frame.frameNumber = 4711;
  rig.Decode(frame);
  ASSERT_EQ(hooks.writes, 1);
  EXPECT_EQ(ReadAll(writer.File()), "T1234567\t4711\t0.000000\t0.000000\t0.0");

  frame.frameNumber = 4712;
  frame.speedAccuracy = 10;  // 1.0 m/s
  rig.Decode(frame);
  frame.speedAccuracy = 3;
  frame.sats = 0;
  rig.Decode(frame);
  frame.sats = 8;
  std::vector<std::uint8_t> bytes = test::BuildFrame(frame);
  bytes[0x3B + 4] ^= 0x55;  // inside the status block: its CRC fails
  EXPECT_FALSE(rig.Decode(test::ToRawFrame(bytes)).status);
  EXPECT_EQ(hooks.writes, 1);
  EXPECT_EQ(ReadAll(writer.File()), "T1234567\t4711\t0.000000\t0.000000\t0.0");
}

TEST(PositionOut, AFailedWriteIsReportedAndTheNextOneWorks) {
  TempDir dir;
  fs::create_directories(dir.path);
  // A file where the folder should be.
  std::ofstream(dir.path / "GPSOut") << "x";
  PositionOutWriter writer(dir.path / "GPSOut" / "SondePos");
  EXPECT_NE(writer.Write("a"), "");
  fs::remove(dir.path / "GPSOut");
  EXPECT_EQ(writer.Write("b"), "");
  EXPECT_EQ(ReadAll(writer.File()), "b");
}

TEST(PositionOut, AReaderPollingTheFileNeverSeesAPart) {
  TempDir dir;
  PositionOutWriter writer(dir.path / "SondePos");
  // Two values of very different lengths: a torn read would show a mix or a cut.
  const std::string shortText = "S1\t1\t1.000000\t2.000000\t3.0";
  const std::string longText = "S2\t2\t" + std::string(20000, '9') + "\t2.000000\t3.0";
  ASSERT_EQ(writer.Write(shortText), "");
  std::atomic<bool> done{false};
  std::atomic<int> reads{0};
  std::atomic<int> torn{0};
  std::thread reader([&] {
    while (!done) {
      const std::string text = ReadAll(writer.File());
      if (text != shortText && text != longText) ++torn;
      ++reads;
    }
  });
  for (int k = 0; k < 600; ++k) {
    ASSERT_EQ(writer.Write(k % 2 == 0 ? longText : shortText), "");
  }
  done = true;
  reader.join();
  EXPECT_EQ(torn, 0);
  EXPECT_GT(reads, 0);
}

TEST(ChaseMap, DatagramOfAFrame) {
  SondeState state;
  state.sondeId = "S2310478";
  state.frameNumber = 4711;
  state.latitude = 44.5;
  state.longitude = -7.625;
  state.altitude = 10345.26;
  state.horizontalSpeed = 10;
  state.heading = 271.25;
  state.verticalSpeed = -5.04;
  state.numSatellites = 9;
  state.batteryVoltage = 2.9;
  state.gpsTimeValid = true;
  state.gpsHour = 9;
  state.gpsMinute = 5;
  state.gpsSecond = 3;
  EXPECT_EQ(ChaseMapDatagram(state),
            R"({"type":"PAYLOAD_SUMMARY","callsign":"S2310478","latitude":44.500000,)"
            R"("longitude":-7.625000,"altitude":10345.3,"speed":36.0,"heading":271.2,)"
            R"("time":"09:05:03","model":"RS41","frame":4711,"vel_v":-5.0,"sats":9,"batt":2.9,)"
            R"("comment":"Windlark"})");
  state.fragmentReceived[0] = true;
  state.frequencyKHz = 402500;
  state.fragmentReceived[33] = true;
  state.sondeType = "RS41-SGP";
  state.fragmentReceived[50] = true;
  state.countdownActive = true;
  state.countdownHours = 1;
  state.temperatureDecoded = true;
  state.temperature = -40.04;
  const std::string full = ChaseMapDatagram(state);
  for (const char* member :
       {R"("model":"RS41-SGP")", R"("freq":"402.500 MHz")", R"("bt":3600)", R"("temp":-40.0)"}) {
    EXPECT_NE(full.find(member), std::string::npos) << member << " in " << full;
  }
}

TEST(ChaseMap, HostPort) {
  std::string host;
  int port = 0;
  EXPECT_TRUE(ParseHostPort("127.0.0.1:55673", host, port));
  EXPECT_EQ(host, "127.0.0.1");
  EXPECT_EQ(port, 55673);
  for (const char* bad : {"127.0.0.1", ":5", "h:0", "h:65536", "h:12x", "h:"}) {
    EXPECT_FALSE(ParseHostPort(bad, host, port)) << bad;
  }
}

}  // namespace
}  // namespace windlark
