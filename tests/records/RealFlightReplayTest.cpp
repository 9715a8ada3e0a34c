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

// The same without a regex, for the long logs: "key": value up to the next comma or brace.
std::optional<std::string> PlainField(const std::string& line, const std::string& key) {
  const std::string quoted = "\"" + key + "\": ";
  const std::size_t at = line.find(quoted);
  if (at == std::string::npos) return std::nullopt;
  std::size_t start = at + quoted.size();
  std::size_t end = line.find_first_of(",}", start);
  if (end == std::string::npos) return std::nullopt;
  while (end > start && line[end - 1] == ' ') --end;
  if (line[start] == '"') return line.substr(start + 1, end - start - 2);
  return line.substr(start, end - start);
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

// What the reference decoder printed for one frame of the current-layout flight.
struct CurrentReference {
  std::string id;
  std::string batt;
  std::string datetime;
  std::string lat;
  std::string lon;
  double alt = 0;
  double velH = 0;
  double heading = 0;
  double velV = 0;
  int sats = 0;
};

// A sonde of a ground system of late 2024 on, sending the current layout (UTC time, GNSS
// blocks). Every good frame goes through a raw file and the replay, as a recording would.
TEST(RealFlightReplay, CurrentLayoutFlightMatchesTheReference) {
  const std::filesystem::path dir =
      std::filesystem::path(WINDLARK_SHARED_DATA) / "papasven_rs41_raw_data_reader";
  const auto log = dir / "V1950381_raw_frames.log";
  const auto refFile = dir / "V1950381_raw_frames.ref_rs41mod.jsonl";
  for (const auto& file : {log, refFile}) {
    if (!std::filesystem::exists(file)) GTEST_SKIP() << "real frame log not found: " << file;
  }
  std::map<int, CurrentReference> refs;
  {
    std::ifstream in(refFile);
    for (std::string line; std::getline(in, line);) {
      const auto frame = PlainField(line, "frame");
      if (!frame) continue;
      CurrentReference ref;
      ref.id = PlainField(line, "id").value_or("");
      ref.batt = PlainField(line, "batt").value_or("");
      ref.datetime = PlainField(line, "datetime").value_or("");
      ref.lat = PlainField(line, "lat").value_or("");
      ref.lon = PlainField(line, "lon").value_or("");
      ref.alt = std::stod(PlainField(line, "alt").value_or("0"));
      ref.velH = std::stod(PlainField(line, "vel_h").value_or("0"));
      ref.heading = std::stod(PlainField(line, "heading").value_or("0"));
      ref.velV = std::stod(PlainField(line, "vel_v").value_or("0"));
      ref.sats = std::stoi(PlainField(line, "sats").value_or("0"));
      EXPECT_EQ(PlainField(line, "ref_datetime").value_or(""), "UTC");
      refs[std::stoi(*frame)] = ref;
    }
  }

  const auto raw = std::filesystem::temp_directory_path() /
                   ("windlark-current-" + std::to_string(::getpid()) + ".txt");
  int okLines = 0;
  int badLines = 0;
  {
    std::ifstream in(log);
    std::ofstream out(raw, std::ios::binary);
    for (std::string line; std::getline(in, line);) {
      if (line.rfind("8635f440", 0) != 0) continue;
      (line.find("[OK]") != std::string::npos ? okLines : badLines) += 1;
      RawFrame frame{};
      const std::string hex = line.substr(0, line.find(' '));
      for (std::size_t i = 0; 2 * i + 1 < hex.size() && i < kReceivedFrameSize; ++i) {
        frame[i] = static_cast<std::uint8_t>(std::stoi(hex.substr(2 * i, 2), nullptr, 16));
      }
      out << RawLine(frame) << "\r\n";
    }
  }

  test::DecoderRig rig;
  int statusFrames = 0;
  int positionFrames = 0;
  int positionBlocks = 0;
  int timeFrames = 0;
  int compared = 0;
  int currentLayout = 0;
  RawReplay replay(raw.string());
  replay.SetUnpaced();
  replay.Run(
      [&](const RawFrame& frame) {
        const FrameChecks checks = rig.Decode(frame);
        if (checks.layout == FrameLayout::Current) ++currentLayout;
        if (!checks.status) return;
        ++statusFrames;
        if (checks.gpsTime) ++timeFrames;
        if (checks.gpsPosition) ++positionBlocks;
        if (checks.record.positionValid != 0) ++positionFrames;
        const auto it = refs.find(rig.state.frameNumber);
        if (it == refs.end() || !checks.gpsTime || checks.record.positionValid == 0) return;
        const CurrentReference& ref = it->second;
        const SondeState& s = rig.state;
        const std::string at = "frame " + std::to_string(it->first);
        EXPECT_EQ(s.sondeId, ref.id) << at;
        EXPECT_EQ(FormatFixed(s.batteryVoltage, 2), ref.batt) << at;
        EXPECT_EQ(FormatInt(s.gpsYear, 4) + "-" + FormatInt(s.gpsMonth, 2) + "-" +
                      FormatInt(s.gpsDay, 2) + "T" + FormatInt(s.gpsHour, 2) + ":" +
                      FormatInt(s.gpsMinute, 2) + ":" + FormatInt(s.gpsSecond, 2) + "." +
                      FormatInt(s.gpsMillis, 3) + "Z",
                  ref.datetime)
            << at;
        EXPECT_TRUE(s.timeReference == TimeReference::Utc) << at;
        EXPECT_EQ(FormatFixed(s.latitude, 5), ref.lat) << at;
        EXPECT_EQ(FormatFixed(s.longitude, 5), ref.lon) << at;
        EXPECT_NEAR(s.altitude, ref.alt, 1e-3) << at;
        EXPECT_NEAR(s.horizontalSpeed, ref.velH, 1e-4) << at;
        EXPECT_NEAR(s.heading, ref.heading, 1e-4) << at;
        EXPECT_NEAR(checks.record.verticalSpeed, ref.velV, 1e-4) << at;
        EXPECT_EQ(s.numSatellites, ref.sats) << at;
        ++compared;
      },
      [](const std::string&) {});
  std::filesystem::remove(raw);

  std::cout << "V1950381: " << okLines << " [OK] and " << badLines << " [NO] lines; "
            << currentLayout << " frames of the current layout, " << statusFrames
            << " with status, " << timeFrames << " with time, " << positionFrames
            << " with a position; " << compared << " of " << refs.size()
            << " reference frames compared\n";
  EXPECT_EQ(compared, static_cast<int>(refs.size()));
  EXPECT_EQ(compared, okLines);
  // The type, the pressure source of an SG and the whole calibration arrive as classic.
  EXPECT_EQ(rig.state.sondeType, "RS41-SG");
  EXPECT_EQ(rig.state.pressureSource, 1);
  EXPECT_TRUE(rig.state.calibrationComplete);
  EXPECT_EQ(rig.view.Text(ReadOut::SpeedAccuracy), "n/a");
  EXPECT_EQ(rig.view.Text(ReadOut::Pdop), "n/a");
  EXPECT_EQ(rig.log.Count(), static_cast<std::size_t>(positionBlocks));
}

}  // namespace
}  // namespace windlark
