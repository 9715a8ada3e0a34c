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
  EXPECT_EQ(replayed.out, test::WithoutReceiverFields(m_decoded));
  EXPECT_EQ(test::Lines(replayed.out).size(), 20U);
  EXPECT_NE(replayed.out.find("\"ref_datetime\":\"UTC\""), std::string::npos);
}

TEST_F(ReplayCli, RawFileReplaysToTheSameJson) {
  const std::string raw = RecordFlight();
  EXPECT_NE(raw.find("-T1234567.txt"), std::string::npos) << raw;
  const auto replayed = Run(kCli + " replay " + raw);
  ASSERT_EQ(replayed.exitCode, 0) << replayed.err;
  EXPECT_EQ(replayed.out, test::WithoutReceiverFields(m_decoded));
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

// The first line of a raw file with another sonde id in its status block, CRC made good.
std::string WithSondeId(const std::string& line, std::string_view id) {
  std::vector<std::uint8_t> bytes;
  for (std::size_t i = 0; 3 * i + 2 <= line.size(); ++i) {
    bytes.push_back(static_cast<std::uint8_t>(std::stoi(line.substr(3 * i, 2), nullptr, 16)));
  }
  for (std::size_t k = 0; k < 8; ++k) bytes[61 + k] = static_cast<std::uint8_t>(id[k]);
  unsigned crc = 0xFFFF;
  for (std::size_t k = 59; k < 99; ++k) {
    crc ^= static_cast<unsigned>(bytes[k]) << 8;
    for (int bit = 0; bit < 8; ++bit)
      crc = (crc & 0x8000) ? ((crc << 1) ^ 0x1021) & 0xFFFF : (crc << 1) & 0xFFFF;
  }
  bytes[99] = static_cast<std::uint8_t>(crc & 0xFF);
  bytes[100] = static_cast<std::uint8_t>(crc >> 8);
  std::string out;
  for (const std::uint8_t b : bytes) {
    out += "0123456789ABCDEF"[b >> 4];
    out += "0123456789ABCDEF"[b & 0x0F];
    out += ' ';
  }
  return out;
}

TEST_F(ReplayCli, HostileInputAndFailedOutputAreHandled) {
  const std::string raw = RecordFlight();

  // Standard input closed: the raw file must not become descriptor 0 and be read as commands.
  const auto closed = Run(kCli + " replay " + raw + " <&-");
  EXPECT_EQ(closed.exitCode, 0) << closed.err;
  EXPECT_EQ(test::Lines(closed.out).size(), 20U);
  EXPECT_EQ(closed.err,
            "windlark-cli replay: 20 frames decoded, 0 with failed blocks, "
            "0 without an intact block skipped\n");
  const auto paused = Run(kCli + " replay --speed stop " + raw + " </dev/null");
  EXPECT_EQ(paused.exitCode, 2);  // nothing could ever resume it

  // A full disk on standard output is a failure, not a success.
  for (const std::string& command :
       {kCli + " replay " + raw, kCli + " decode " + Path("flight.wav").string()}) {
    const auto full = Run(command + " >/dev/full");
    EXPECT_EQ(full.exitCode, 1) << command;
    EXPECT_NE(full.err.find("cannot write standard output"), std::string::npos) << full.err;
  }

  // A sonde id with a line feed and bytes that are not UTF-8 keeps one events-log line per
  // event; a frame without any intact block is counted, not printed.
  std::ifstream in(raw, std::ios::binary);
  std::string first;
  std::getline(in, first);
  const std::string hostile = WithSondeId(first, std::string("AB\nC\xFF\xC3(Z", 8));
  std::string zeros;
  for (int k = 0; k < 470; ++k) zeros += "00 ";
  std::ofstream(Path("hostile.txt"), std::ios::binary) << hostile << "\r\n" << zeros << "\r\n";
  const auto r = Run(kCli + " replay --events " + Path("hostile.txt").string());
  EXPECT_EQ(r.exitCode, 0) << r.err;
  int frames = 0;
  for (const std::string& line : test::Lines(r.out)) {
    EXPECT_TRUE(line.starts_with("# ") || line.starts_with("{")) << line;
    if (line.starts_with("{")) ++frames;
  }
  EXPECT_EQ(frames, 1);
  EXPECT_NE(r.out.find("Receiving Sonde Id = AB\\x0AC\\xFF\\xC3(Z from"), std::string::npos)
      << r.out;
  EXPECT_NE(r.err.find("1 frame decoded, 0 with failed blocks, 1 without an intact block skipped"),
            std::string::npos)
      << r.err;
}

}  // namespace
}  // namespace windlark
