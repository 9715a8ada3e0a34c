// Synthetic flights with known truth, decoded from audio through the command line.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <map>

#include "cli/CliRunner.h"

namespace windlark {
namespace {

const std::string kCli = WINDLARK_CLI;
const std::string kSim = RS41SIM;

struct Flight {
  const char* name;
  const char* options;
};

class FlightCli : public test::ScratchDirTest, public ::testing::WithParamInterface<Flight> {};

std::map<int, std::string> ByFrame(const std::string& lines) {
  std::map<int, std::string> frames;
  for (const auto& line : test::Lines(lines)) {
    if (const auto frame = test::JsonNumber(line, "frame")) frames[static_cast<int>(*frame)] = line;
  }
  return frames;
}

TEST_P(FlightCli, DecodesToTheIntendedValues) {
  const std::string wav = Path("flight.wav").string();
  const std::string truthFile = Path("truth.jsonl").string();
  const auto sim = Run(kSim + " --frames 60 --start-fragment 0 --noise 3 " + GetParam().options +
                       " --truth-out " + truthFile + " -o " + wav);
  ASSERT_EQ(sim.exitCode, 0) << sim.err;
  std::filesystem::create_directories(Path("raw"));
  const auto decoded = Run(kCli + " decode --raw-dir " + Path("raw").string() + " " + wav);
  ASSERT_EQ(decoded.exitCode, 0) << decoded.err;
  std::ifstream in(truthFile);
  const auto truth = ByFrame(std::string((std::istreambuf_iterator<char>(in)), {}));
  const auto got = ByFrame(decoded.out);
  ASSERT_EQ(got.size(), 60U);

  struct Check {
    const char* json;
    const char* truthKey;
    double tolerance;  // the JSON's own rounding plus the air format's resolution
    int compared = 0;
  };
  Check checks[] = {{"lat", "lat", 6e-6},
                    {"lon", "lon", 6e-6},
                    {"alt", "alt", 0.006},
                    {"vel_h", "vel_h", 0.011},
                    {"vel_v", "vel_up", 0.011},
                    {"temp", "temp", 0.051},
                    {"humidity", "humidity", 0.051},
                    {"pressure", "pressure", 0.006},
                    {"dewpoint", "dewpoint", 0.051}};
  for (const auto& [frame, line] : got) {
    const std::string& t = truth.at(frame);
    for (Check& c : checks) {
      const auto value = test::JsonNumber(line, c.json);
      const auto expected = test::JsonNumber(t, c.truthKey);
      if (!value) continue;
      ASSERT_TRUE(expected.has_value()) << c.json << " decoded but not sent, frame " << frame;
      EXPECT_NEAR(*value, *expected, c.tolerance) << c.json << ", frame " << frame;
      ++c.compared;
    }
    // The direction of travel, where there is one to speak of.
    if (test::JsonNumber(t, "vel_h").value_or(0) > 1.0) {
      EXPECT_NEAR(*test::JsonNumber(line, "heading"), *test::JsonNumber(t, "heading"), 0.2)
          << "frame " << frame;
    }
  }
  for (const Check& c : checks) {
    const bool sometimesAbsent = std::string(c.json) == "dewpoint";
    if (!sometimesAbsent) {
      EXPECT_GE(c.compared, 10) << c.json << " was hardly ever decoded";
    }
  }

  // What was recorded while decoding replays to the same lines.
  for (const auto& entry : std::filesystem::directory_iterator(Path("raw"))) {
    const auto replayed = Run(kCli + " replay " + entry.path().string());
    EXPECT_EQ(replayed.out, test::WithoutReceiverFields(decoded.out));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Sondes, FlightCli,
    ::testing::Values(
        Flight{"SgAscent",
               "--flight ascent --type RS41-SG --alt 1000 --vel-up 5 --vel-east 8 --vel-north -3 "
               "--temp 15 --humidity 40"},
        Flight{"SgpDescent",
               "--flight descent --alt 12000 --pressure-sensor --vel-east -6 --vel-north 4 "
               "--temp 10 --humidity 80"},
        Flight{"SgpBurst",
               "--flight burst --alt 29900 --burst-alt 30000 --vel-up 6 --pressure-sensor "
               "--vel-east 20 --humidity 5"},
        Flight{"SgDryDescent",
               "--flight descent --alt 3000 --type RS41-SG --vel-north -7 --humidity -5"}),
    [](const ::testing::TestParamInfo<Flight>& param) { return std::string(param.param.name); });

}  // namespace
}  // namespace windlark
