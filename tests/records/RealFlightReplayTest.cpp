// Real frame logs, written out as raw files and replayed, against a reference decoder's JSON.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <regex>

#include <cmath>
#include "base/Format.h"
#include "decoder/DecoderRig.h"
#include "records/RawCapture.h"
#include "records/RawReplay.h"

namespace windlark {
namespace {

struct Reference {
  std::string datetime;  // to the second
  std::string lat;
  std::string lon;
  double temp = 0;
  bool hasTemp = false;
};

struct Decoded {
  std::string datetime;
  std::string lat;
  std::string lon;
  double temp = 0;
  bool hasTemp = false;
};

std::optional<std::string> Field(const std::string& line, const std::string& key) {
  const std::regex re("\"" + key + "\": (\"[^\"]*\"|[-0-9.]+)");
  std::smatch m;
  if (!std::regex_search(line, m, re)) return std::nullopt;
  std::string v = m[1];
  if (v.front() == '"') v = v.substr(1, v.size() - 2);
  return v;
}

// Hex frame lines of a log become a raw file as the program records them; JSON lines become
// the references, keyed by frame number (unique in these logs, the reset included).
std::map<int, Reference> Convert(const std::vector<std::filesystem::path>& logs,
                                 const std::filesystem::path& raw) {
  std::ofstream out(raw, std::ios::binary);
  std::map<int, Reference> refs;
  for (const auto& log : logs) {
    std::ifstream in(log);
    for (std::string line; std::getline(in, line);) {
      if (line.rfind("8635f440", 0) == 0) {
        RawFrame frame{};
        const std::string hex = line.substr(0, line.find(' '));
        for (std::size_t i = 0; 2 * i + 1 < hex.size() && i < kReceivedFrameSize; ++i) {
          frame[i] = static_cast<std::uint8_t>(std::stoi(hex.substr(2 * i, 2), nullptr, 16));
        }
        out << RawLine(frame) << "\r\n";
      } else if (line.rfind("{", 0) == 0) {
        const auto frame = Field(line, "frame");
        if (!frame) continue;
        Reference ref;
        ref.datetime = Field(line, "datetime").value_or("").substr(0, 19);
        ref.lat = Field(line, "lat").value_or("");
        ref.lon = Field(line, "lon").value_or("");
        if (const auto temp = Field(line, "temp")) {
          ref.temp = std::stod(*temp);
          ref.hasTemp = true;
        }
        refs[std::stoi(*frame)] = ref;
      }
    }
  }
  return refs;
}

std::map<int, Decoded> Replay(const std::string& raw) {
  test::DecoderRig rig;
  std::map<int, Decoded> decoded;
  RawReplay replay(raw);
  replay.SetUnpaced();
  replay.Run(
      [&](const RawFrame& frame) {
        const FrameChecks checks = rig.Decode(frame);
        if (!checks.status) return;
        Decoded d;
        if (checks.gpsTime) {
          const auto& s = rig.state;
          d.datetime = FormatInt(s.gpsYear, 4) + "-" + FormatInt(s.gpsMonth, 2) + "-" +
                       FormatInt(s.gpsDay, 2) + "T" + FormatInt(s.gpsHour, 2) + ":" +
                       FormatInt(s.gpsMinute, 2) + ":" + FormatInt(s.gpsSecond, 2);
        }
        if (checks.record.positionValid != 0) {
          d.lat = FormatFixed(rig.state.latitude, 5);
          d.lon = FormatFixed(rig.state.longitude, 5);
        }
        d.hasTemp = checks.temperature;
        d.temp = rig.state.temperature;
        decoded[rig.state.frameNumber] = d;
      },
      [](const std::string&) {});
  return decoded;
}

struct LogPair {
  const char* frames;     // hex frame lines
  const char* reference;  // JSON lines (may be the same file)
};

class RealFlightReplay : public ::testing::TestWithParam<LogPair> {};

TEST_P(RealFlightReplay, PositionsAndTimesMatchTheReference) {
  const std::filesystem::path dir(WINDLARK_SHARED_DATA);
  std::vector<std::filesystem::path> logs{dir / GetParam().frames};
  if (std::string(GetParam().reference) != GetParam().frames)
    logs.push_back(dir / GetParam().reference);
  for (const auto& log : logs) {
    if (!std::filesystem::exists(log)) GTEST_SKIP() << "real frame log not found: " << log;
  }
  const auto raw = std::filesystem::temp_directory_path() /
                   ("windlark-real-" + std::to_string(::getpid()) + ".txt");
  const auto refs = Convert(logs, raw);
  const auto decoded = Replay(raw.string());
  std::filesystem::remove(raw);

  int positions = 0;
  int times = 0;
  int temps = 0;
  double maxTempDiff = 0;
  for (const auto& [frame, ref] : refs) {
    const auto it = decoded.find(frame);
    if (it == decoded.end()) continue;
    const Decoded& d = it->second;
    if (!d.lat.empty() && ref.lat != "0.00000") {
      EXPECT_EQ(d.lat, ref.lat) << "frame " << frame;
      EXPECT_EQ(d.lon, ref.lon) << "frame " << frame;
      ++positions;
    }
    if (!d.datetime.empty()) {
      EXPECT_EQ(d.datetime, ref.datetime) << "frame " << frame;
      ++times;
    }
    if (d.hasTemp && ref.hasTemp) {
      maxTempDiff = std::max(maxTempDiff, std::fabs(d.temp - ref.temp));
      ++temps;
    }
  }
  std::cout << GetParam().frames << ": " << refs.size() << " reference frames, " << decoded.size()
            << " decoded; compared " << positions << " positions, " << times << " times, " << temps
            << " temperatures (max |dT| " << maxTempDiff << " C)\n";
  EXPECT_GT(positions, static_cast<int>(refs.size()) * 9 / 10);
  EXPECT_GT(times, static_cast<int>(refs.size()) * 9 / 10);
}

INSTANTIATE_TEST_SUITE_P(
    Logs, RealFlightReplay,
    ::testing::Values(LogPair{"papasven_rs41_raw_data_reader/V5230820_raw_frames_reset.log",
                              "papasven_rs41_raw_data_reader/V5230820_raw_frames_reset.log"},
                      LogPair{"rs1729_RS/rs41pre_20150802.ref_rs41mod.rawhex.txt",
                              "rs1729_RS/rs41pre_20150802.ref_rs41mod.jsonl"}));

}  // namespace
}  // namespace windlark
