// windlark-cli decode against audio from the independent synthesizer, and against bad input.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <map>
#include <regex>

#include "cli/CliRunner.h"

namespace windlark {
namespace {

const std::string kCli = WINDLARK_CLI;
const std::string kSim = RS41SIM;

class DecodeCli : public test::ScratchDirTest {
 protected:
  // Synthesizes audio; returns its path.
  std::string Sim(const std::string& name, const std::string& options) {
    const std::string path = Path(name).string();
    const auto r = Run(kSim + " " + options + " -o " + path);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    return path;
  }
  std::vector<std::string> Frames(const std::string& out) {
    std::vector<std::string> frames;
    for (const auto& line : test::Lines(out)) {
      if (line.rfind("{\"type\":\"RS41\"", 0) == 0) frames.push_back(line);
    }
    return frames;
  }
};

std::string Field(const std::string& json, const std::string& key) {
  const std::regex re("\"" + key + "\":(\"[^\"]*\"|[-0-9.]+|true|false)");
  std::smatch m;
  return std::regex_search(json, m, re) ? m[1].str() : std::string("<absent>");
}

TEST_F(DecodeCli, RecoversEverySynthesizedFrameInEveryFormat) {
  struct Case {
    const char* name;
    std::string simOptions;
    std::string cliInput;  // how the CLI reads the file
  };
  const std::string u8 = Path("a.u8").string();
  const Case cases[] = {
      {"8-bit WAV", "--format wav", "{}"},
      {"16-bit WAV, inverted, noisy, offset", "--format wav16 --invert --noise 6 --dc-offset -25",
       "{}"},
      {"raw on stdin", "--format u8 --dc-offset 30", "--raw-u8 - < {}"},
  };
  int n = 0;
  for (const auto& c : cases) {
    const std::string file =
        Sim("in" + std::to_string(n++), "--frames 8 --start-frame 65533 " + c.simOptions);
    std::string input = c.cliInput;
    input.replace(input.find("{}"), 2, file);
    const auto r = Run(kCli + " decode " + input);
    ASSERT_EQ(r.exitCode, 0) << c.name << ": " << r.err;
    const auto frames = Frames(r.out);
    ASSERT_EQ(frames.size(), 8U) << c.name;
    for (std::size_t k = 0; k < frames.size(); ++k) {
      EXPECT_EQ(Field(frames[k], "frame"), std::to_string((65533 + k) % 65536)) << c.name;
      EXPECT_EQ(Field(frames[k], "id"), "\"T1234567\"");
      EXPECT_EQ(Field(frames[k], "batt"), "2.9");
    }
  }
}

// Both frame layouts: the same sonde content, GPS time in the classic one, UTC in the current.
TEST_F(DecodeCli, BothFrameLayoutsCarryWhatWasSent) {
  struct Case {
    const char* layout;
    const char* firstTime;
    const char* reference;
  };
  for (const Case& c : {Case{"classic", "\"2024-12-06T12:01:03.120Z\"", "\"GPS\""},
                        Case{"current", "\"2024-12-06T12:00:45.120Z\"", "\"UTC\""}}) {
    const std::string file =
        Sim(std::string(c.layout) + ".wav",
            std::string("--layout ") + c.layout +
                " --frames 4 --gps-week 2343 --gps-tow-ms 475263120 --lat -33.9 --lon 151.2 "
                "--alt 1200 --vel-east -8 --vel-north 0 --vel-up 5 --sats 9 --noise 4");
    const auto r = Run(kCli + " decode --panels " + file);
    ASSERT_EQ(r.exitCode, 0) << c.layout << ": " << r.err;
    const auto frames = Frames(r.out);
    ASSERT_EQ(frames.size(), 4U) << c.layout;
    EXPECT_EQ(Field(frames[0], "datetime"), c.firstTime) << c.layout;
    for (const auto& frame : frames) {
      EXPECT_EQ(Field(frame, "ref_datetime"), c.reference) << c.layout;
      EXPECT_EQ(Field(frame, "sats"), "9") << c.layout;
      EXPECT_EQ(Field(frame, "heading"), "270.0") << c.layout;
      EXPECT_EQ(Field(frame, "vel_h"), "8.00") << c.layout;
      EXPECT_EQ(Field(frame, "gnss_sats"), std::string(c.layout) == "current" ? "true" : "<absent>")
          << c.layout;
    }
    EXPECT_EQ(Field(frames[0], "lat"), "-33.90000") << c.layout;
    EXPECT_EQ(Field(frames[0], "lon"), "151.20000") << c.layout;
    const std::string panels = test::Lines(r.out).back();
    const bool current = std::string(c.layout) == "current";
    EXPECT_NE(panels.find(current ? "\"Gps Nav/sAcc\":\"n/a\"" : "\"Gps Nav/sAcc\":\"0.3\""),
              std::string::npos)
        << c.layout;
    EXPECT_NE(
        panels.find(current ? "\"Gps Time (UTC)/Sat 1\":\"G5\"" : "\"Gps Time (UTC)/Sat 1\":\"5\""),
        std::string::npos)
        << c.layout;
  }
}

TEST_F(DecodeCli, PipedWavWithAChunkBeforeTheDataDecodes) {
  // Recorders put LIST/INFO (and other) chunks between "fmt " and "data"; on a pipe they must
  // be read past, not sought past.
  const std::string plain = Sim("plain", "--frames 4 --start-frame 100 --format wav");
  std::ifstream in(plain, std::ios::binary);
  std::string wav((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const std::size_t data = wav.find("data");
  ASSERT_NE(data, std::string::npos);
  const std::string chunk = std::string("LIST\x0b\0\0\0INFOISFT\x01\0\0\0W\0", 20);
  wav.insert(data, chunk);
  const std::uint32_t riffSize = static_cast<std::uint32_t>(wav.size() - 8);
  for (int k = 0; k < 4; ++k)
    wav[static_cast<std::size_t>(4 + k)] = static_cast<char>(riffSize >> (8 * k));
  const std::string extra = Path("extra.wav").string();
  std::ofstream(extra, std::ios::binary) << wav;

  const auto r = Run("cat " + extra + " | " + kCli + " decode -");
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const auto frames = Frames(r.out);
  ASSERT_EQ(frames.size(), 4U);
  EXPECT_EQ(Field(frames[0], "frame"), "100");
}

TEST_F(DecodeCli, FullCalibrationFillsThePanels) {
  const std::string file =
      Sim("cal.wav",
          "--frames 52 --start-frame 2000 --start-fragment 0 --type RS41-SGP "
          "--freq-khz 405100 --burst-kill 1 --kill-timer 0 --countdown 3725 --battery 3.1 "
          "--gps-week 2000 --gps-tow-ms 86395000");
  const auto r = Run(kCli + " decode --events --panels " + file);
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const auto frames = Frames(r.out);
  ASSERT_EQ(frames.size(), 52U);
  // Calibration-derived fields appear once their fragment has been received.
  EXPECT_EQ(Field(frames[0], "freq"), "405.100");
  EXPECT_EQ(Field(frames[32], "subtype"), "<absent>");
  EXPECT_EQ(Field(frames[33], "subtype"), "\"RS41-SGP\"");
  EXPECT_EQ(Field(frames[49], "bt"), "<absent>");
  EXPECT_EQ(Field(frames[50], "bt"), "3725");

  const auto lines = test::Lines(r.out);
  const std::regex event(
      R"(# \d{4}-\d\d-\d\dT\d\d:\d\d:\d\d Receiving Sonde Id = T1234567 from Input source: .*cal\.wav)");
  EXPECT_TRUE(std::regex_match(lines.at(0), event)) << lines.at(0);
  const std::string panels = lines.back();
  for (const char* expected :
       {R"("Rs41 Header/Frequency":"405.100 MHz")", R"("Rs41 Header/Type":"RS41-SGP")",
        R"("Rs41 Header/Battery":"3.1 V")", R"("Rs41 Header/Frame #":"2051")",
        R"("Burst killer/Status":"Enabled")", R"("Burst killer/Timer duration":"00:00:00")",
        R"("Burst killer/Countdown":"01:02:05")",
        // Fragment 50 arrives at 00:00:45 GPS time (the day rolled over): + 01:02:05.
        R"("Burst killer/Poweroff time":"01:02:50 UTC")", R"("Pressure/Caption":"Pressure PTU ")",
        R"("Sub Frames/0":"yellow")", R"("Sub Frames/50":"aqua")",
        R"("Gps Time (UTC)/Time":"2018/05/07 T00:00:46.000")",
        R"("StatusBar2/2":"Raw File: OFF")"}) {
    EXPECT_NE(panels.find(expected), std::string::npos) << expected << "\n" << panels;
  }
}

TEST_F(DecodeCli, FieldsOnlyFromBlocksThatPassedThisFrame) {
  const std::string file =
      Sim("bad.wav",
          "--frames 4 --start-fragment 0 --corrupt-crc status:1 --corrupt-crc gpsinfo:2 "
          "--xdata 050100000000 --corrupt-crc xdata:3");
  const auto r = Run(kCli + " decode " + file);
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const auto frames = Frames(r.out);
  ASSERT_EQ(frames.size(), 4U);
  EXPECT_EQ(Field(frames[0], "freq"), "403.000");
  EXPECT_EQ(Field(frames[1], "frame"), "<absent>");
  EXPECT_EQ(Field(frames[1], "freq"), "<absent>");
  EXPECT_EQ(Field(frames[1], "status"), "false");
  EXPECT_EQ(Field(frames[2], "gps_time"), "false");
  EXPECT_EQ(Field(frames[2], "frame"), "1002");
  EXPECT_NE(frames[2].find(R"("xdata":[true])"), std::string::npos) << frames[2];
  EXPECT_NE(frames[3].find(R"("xdata":[false])"), std::string::npos) << frames[3];
}

TEST_F(DecodeCli, NoAdjustLosesAnOffsetSignal) {
  const std::string file = Sim("dc.wav", "--frames 3 --dc-offset 70");
  const auto on = Run(kCli + " decode " + file);
  EXPECT_EQ(Frames(on.out).size(), 3U);
  const auto off = Run(kCli + " decode --no-adjust " + file);
  EXPECT_EQ(off.exitCode, 0);
  EXPECT_TRUE(Frames(off.out).empty());
}

// Through the radio channel: the enhanced chain (the default) hears what the literal one loses.
TEST_F(DecodeCli, EnhancedChainFollowsNoiseOffsetDriftAndPolarity) {
  struct Case {
    const char* name;
    const char* channel;
    int standardAtMost;  // frames the literal chain still decodes (12: no claim)
    double fErrorHz;
  };
  const Case cases[] = {
      {"noise", "--ebn0 11", 10, 0},
      {"2 kHz off tune", "--ebn0 13 --carrier-offset 2000", 0, 2000},
      {"-2 kHz off tune, inverted", "--ebn0 13 --carrier-offset -2000 --invert", 0, -2000},
      {"sonde clock 150 ppm fast, low-pass", "--ebn0 13 --clock-ppm 150 --audio-lowpass 6000", 12,
       0},
  };
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string file =
        Sim("ch" + std::to_string(n++) + ".u8", std::string("--frames 12 --seed 5 ") + c.channel);
    const auto r = Run(kCli + " decode --raw-u8 " + file);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const auto frames = Frames(r.out);
    ASSERT_EQ(frames.size(), 12U);
    for (std::size_t k = 0; k < frames.size(); ++k) {
      EXPECT_EQ(Field(frames[k], "frame"), std::to_string(1000 + k));
      EXPECT_EQ(Field(frames[k], "id"), "\"T1234567\"");
      EXPECT_NE(Field(frames[k], "lat"), "<absent>");
      EXPECT_NE(Field(frames[k], "ecc"), "<absent>");
      EXPECT_NEAR(std::stod(Field(frames[k], "f_error")), c.fErrorHz, 250.0);
      EXPECT_GT(std::stod(Field(frames[k], "snr")), 5.0);
    }
    const auto standard = Run(kCli + " decode --demod standard --raw-u8 " + file);
    ASSERT_EQ(standard.exitCode, 0) << standard.err;
    EXPECT_LE(static_cast<int>(Frames(standard.out).size()), c.standardAtMost);
    for (const auto& frame : Frames(standard.out)) {
      EXPECT_EQ(Field(frame, "ecc"), "<absent>");
    }
  }
  const auto bad = Run(kCli + " decode --demod fancy " + Sim("x.u8", "--frames 1"));
  EXPECT_EQ(bad.exitCode, 2);
  EXPECT_NE(bad.err.find("--demod must be standard or enhanced"), std::string::npos) << bad.err;
}

// At the edge of hearing (9 dB, where the code alone corrects about one frame in eight) the
// sonde's last good frame tells much of the next one: most frames come through, each exactly
// as sent.
TEST_F(DecodeCli, AWeakSondeIsFollowedFromFrameToFrame) {
  const std::string content = "--frames 40 --seed 7";
  const auto clean = Run(kCli + " decode --raw-u8 " + Sim("clean.u8", content));
  ASSERT_EQ(clean.exitCode, 0) << clean.err;
  std::map<std::string, std::string> sent;
  for (const auto& frame : Frames(clean.out)) sent[Field(frame, "frame")] = frame;
  ASSERT_EQ(sent.size(), 40U);

  const auto weak = Run(kCli + " decode --raw-u8 " + Sim("weak.u8", content + " --ebn0 9"));
  ASSERT_EQ(weak.exitCode, 0) << weak.err;
  int complete = 0;
  for (const auto& frame : Frames(weak.out)) {
    // Frames with a damaged status block carry no number to compare them by.
    if (Field(frame, "frame") == "<absent>") continue;
    const auto it = sent.find(Field(frame, "frame"));
    ASSERT_NE(it, sent.end()) << frame;
    for (const char* key : {"id", "datetime", "lat", "lon", "alt", "vel_h", "heading", "vel_v",
                            "temp", "humidity", "pressure", "batt"}) {
      if (Field(frame, key) != "<absent>") {
        EXPECT_EQ(Field(frame, key), Field(it->second, key)) << key;
      }
    }
    if (Field(frame, "lat") != "<absent>") ++complete;
  }
  EXPECT_GE(complete, 18);
}

TEST_F(DecodeCli, BadInputGivesOneLineErrorAndNoOutput) {
  std::ofstream(Path("text.wav")) << "this is not audio\n";
  const std::string wav44 = Path("rate.wav").string();
  {
    // A valid 8-bit mono WAV header at 44 100 Hz.
    std::ofstream out(wav44, std::ios::binary);
    const unsigned char header[44] = {'R', 'I', 'F',  'F',  40,  0,   0,    0,    'W', 'A', 'V',
                                      'E', 'f', 'm',  't',  ' ', 16,  0,    0,    0,   1,   0,
                                      1,   0,   0x44, 0xAC, 0,   0,   0x44, 0xAC, 0,   0,   1,
                                      0,   8,   0,    'd',  'a', 't', 'a',  4,    0,   0,   0};
    out.write(reinterpret_cast<const char*>(header), sizeof header);
    out << "\x80\x80\x80\x80";
  }
  struct Case {
    std::string args;
    int exitCode;
    const char* message;
  };
  const Case cases[] = {
      {Path("text.wav").string(), 1, "is not a WAV file"},
      {wav44, 1, "44100 Hz, need 48000 Hz"},
      {Path("missing.wav").string(), 1, "cannot open"},
      {"--raw-u8 " + m_dir.string(), 1, "Is a directory"},  // not an empty recording
      {"--bogus x.wav", 2, "unknown option --bogus"},
      {"a.wav b.wav", 2, "only one input file"},
  };
  for (const auto& c : cases) {
    const auto r = Run(kCli + " decode " + c.args);
    EXPECT_EQ(r.exitCode, c.exitCode) << c.args;
    EXPECT_TRUE(r.out.empty()) << r.out;
    EXPECT_EQ(test::Lines(r.err).size(), 1U) << r.err;
    EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
  }
  const auto help = Run(kCli + " decode --help");
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_NE(help.out.find("--panels"), std::string::npos);
}

TEST_F(DecodeCli, RealRecordingGivesTheSondeSerial) {
  const std::string wav = std::string(WINDLARK_SHARED_DATA) + "/rs1729_RS/rs41pre_20150802.wav";
  if (!std::filesystem::exists(wav)) GTEST_SKIP() << "real recording not found: " << wav;
  for (const char* demod : {"standard", "enhanced"}) {
    SCOPED_TRACE(demod);
    const auto r = Run(kCli + " decode --demod " + demod + " " + wav);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const auto frames = Frames(r.out);
    ASSERT_EQ(frames.size(), 60U);
    EXPECT_EQ(Field(frames.front(), "frame"), "3172");
    EXPECT_EQ(Field(frames.back(), "frame"), "3231");
    EXPECT_EQ(Field(frames.back(), "id"), "\"L1830070\"");
    EXPECT_EQ(Field(frames.back(), "freq"), "402.000");
    EXPECT_EQ(Field(frames.back(), "subtype"), "\"RS41-SG\"");
  }
}

}  // namespace
}  // namespace windlark
