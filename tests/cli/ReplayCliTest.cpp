// Recording while decoding, replaying the record, and exporting from it, through the command line.
#include <gtest/gtest.h>

#include <fstream>

#include "cli/CliRunner.h"

namespace windlark {
namespace {

const std::string kCli = WINDLARK_CLI;
const std::string kSim = RS41SIM;

class ReplayCli : public test::ScratchDirTest {
 protected:
  std::string RecordFlight(const std::string& simOptions = "") {
    const std::string wav = Path("flight.wav").string();
    EXPECT_EQ(Run(kSim + " --frames 20 --start-fragment 30 --noise 3 " + simOptions + " -o " + wav)
                  .exitCode,
              0);
    std::filesystem::create_directories(Path("raw"));
    const auto decoded =
        Run("TZ=UTC " + kCli + " decode --raw-dir " + Path("raw").string() + " " + wav);
    EXPECT_EQ(decoded.exitCode, 0) << decoded.err;
    m_decoded = decoded.out;
    for (const auto& entry : std::filesystem::directory_iterator(Path("raw")))
      return entry.path().string();
    ADD_FAILURE() << "no raw file recorded";
    return {};
  }
  std::string m_decoded;
};

// A current-layout sonde is recorded and replayed like any other.
TEST_F(ReplayCli, CurrentLayoutReplaysToTheSameJson) {
  const std::string raw = RecordFlight("--layout current");
  const auto replayed = Run(kCli + " replay " + raw);
  ASSERT_EQ(replayed.exitCode, 0) << replayed.err;
  EXPECT_EQ(replayed.out, m_decoded);
  EXPECT_EQ(test::Lines(replayed.out).size(), 20U);
  EXPECT_NE(replayed.out.find("\"ref_datetime\":\"UTC\""), std::string::npos);
}

TEST_F(ReplayCli, RawFileReplaysToTheSameJson) {
  const std::string raw = RecordFlight();
  EXPECT_NE(raw.find("-T1234567.txt"), std::string::npos) << raw;
  const auto replayed = Run(kCli + " replay " + raw);
  ASSERT_EQ(replayed.exitCode, 0) << replayed.err;
  EXPECT_EQ(replayed.out, m_decoded);
  EXPECT_EQ(test::Lines(replayed.out).size(), 20U);

  const auto panels = Run(kCli + " replay --speed 8 --panels " + raw);
  const std::string last = test::Lines(panels.out).back();
  EXPECT_NE(last.find(R"("StatusBar1/1":"Input source: None")"), std::string::npos) << last;
  EXPECT_NE(last.find(R"("StatusBar1/2":"Extimated Launch time: )"), std::string::npos) << last;
}

TEST_F(ReplayCli, ExportsWriteEveryFormat) {
  const std::string raw = RecordFlight();
  const auto r = Run(kCli + " export " + raw + " --kml " + Path("t.kml").string() + " --gpx " +
                     Path("t.gpx").string() + " --csv " + Path("t.csv").string());
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_NE(r.out.find("t.kml: GPS track file saved"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("t.csv: Radiosonde Telemetry saved"), std::string::npos) << r.out;
  std::ifstream csv(Path("t.csv"));
  int lines = 0;
  for (std::string line; std::getline(csv, line);) ++lines;
  EXPECT_EQ(lines, 21);  // header and one line per frame
  EXPECT_TRUE(std::filesystem::exists(Path("t.gpx")));
}

TEST_F(ReplayCli, BadFilesAndLinesAreReportedCleanly) {
  const auto missing = Run(kCli + " replay " + Path("none.txt").string());
  EXPECT_EQ(missing.exitCode, 1);
  EXPECT_EQ(test::Lines(missing.err).size(), 1U);
  EXPECT_NE(missing.err.find("Cannot open"), std::string::npos);

  const std::string raw = RecordFlight();
  std::ifstream in(raw, std::ios::binary);
  std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  content.replace(content.find("\r\n") + 2, 5, "zz zz");  // second line is not hexadecimal
  std::ofstream(Path("bad.txt"), std::ios::binary) << content;
  const auto r = Run(kCli + " replay " + Path("bad.txt").string());
  EXPECT_EQ(r.exitCode, 3);
  EXPECT_NE(r.err.find("Line 2"), std::string::npos) << r.err;
  EXPECT_EQ(test::Lines(r.out).size(), 19U);

  const auto noOutput = Run(kCli + " export " + raw);
  EXPECT_EQ(noOutput.exitCode, 2);
  const auto badDir = Run(kCli + " export " + raw + " --kml " + Path("no/such/dir/t.kml").string());
  EXPECT_EQ(badDir.exitCode, 1);
  EXPECT_FALSE(std::filesystem::exists(Path("no")));
}

}  // namespace
}  // namespace windlark
