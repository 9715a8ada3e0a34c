#include "sondehub/Telemetry.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <filesystem>
#include <fstream>
#include <functional>

#include "app/ReceiveChain.h"
#include "decoder/PanelRecorder.h"
#include "records/RawLine.h"
#include "sondehub/Gzip.h"
#include "sondehub/ServiceReply.h"
#include "support/TestSignal.h"

namespace windlark {
namespace {

using Clock = std::chrono::system_clock;

// A decoder of its own per test, fed frame by frame.
struct Decoder {
  PanelRecorder view;
  DecoderHooks hooks;
  ReceiveChain chain{view, hooks};
  FrameChecks Decode(const RawFrame& frame) {
    return DecodeFrame(frame, chain.State(), chain.Log(), chain.Context());
  }
};

SondeHubStation Station() {
  SondeHubStation station;
  station.callsign = "DL1ABC";
  station.softwareVersion = "1.15";
  return station;
}

Clock::time_point At(int year, int month, int day, int hour, int minute, int second, int micros) {
  const long long days = DaysFromCivil(year, month, day);
  return Clock::time_point(std::chrono::seconds(days * 86400 + hour * 3600 + minute * 60 + second) +
                           std::chrono::microseconds(micros));
}

TEST(SondeHubTelemetry, ObjectOfASynthesizedFrame) {
  Decoder d;
  test::FrameSpec content;
  content.sondeId = "V4150123";
  content.frameNumber = 4321;
  content.fragmentIndex = 5;  // a fragment that gives none of the optional fields
  const RawFrame frame = test::ToRawFrame(test::BuildFrame(content));
  const FrameChecks checks = d.Decode(frame);
  SondeHubStation station = Station();
  station.position = std::array<double, 3>{52.1, -14.25, 80};
  station.antenna = "Yagi \"5 el\"\n";
  station.testMode = true;
  const TelemetryResult result =
      TelemetryObject(d.chain.State(), checks, frame, station, At(2026, 12, 10, 14, 30, 5, 7));
  ASSERT_EQ(result.skip, TelemetrySkip::None);
  const std::string& json = result.json;
  // GPS week 2300, 12:00:00 of day 0: 2024-02-04 12:00:00 GPS, 11:59:42 UTC.
  for (const char* part :
       {"\"software_name\":\"Windlark\"", "\"software_version\":\"1.15\"",
        "\"uploader_callsign\":\"DL1ABC\"", "\"time_received\":\"2026-12-10T14:30:05.000007Z\"",
        "\"manufacturer\":\"Vaisala\"", "\"type\":\"RS41\"", "\"serial\":\"V4150123\"",
        "\"frame\":4321", "\"datetime\":\"2024-02-04T11:59:42.000Z\"", "\"lat\":0.00000",
        "\"lon\":0.00000", "\"sats\":8", "\"batt\":2.9",
        "\"uploader_position\":[52.10000,-14.25000,80.0]",
        "\"uploader_antenna\":\"Yagi \\\"5 el\\\"\\u000a\"", "\"dev\":true"}) {
    EXPECT_NE(json.find(part), std::string::npos) << part << " in " << json;
  }
  // Not carried by this frame: no calibration fragments with type, frequency or countdown yet.
  for (const char* absent :
       {"subtype", "frequency", "burst_timer", "xdata", "rs41_mainboard", "null"}) {
    EXPECT_EQ(json.find(absent), std::string::npos) << absent << " in " << json;
  }
}

TEST(SondeHubTelemetry, FramesThatGiveNoObject) {
  using Bytes = std::vector<std::uint8_t>;
  struct Case {
    const char* name;
    std::function<void(test::FrameSpec&)> content;
    std::function<void(Bytes&)> bytes;
    std::function<void(SondeState&)> state;  // after decoding
    TelemetrySkip skip;
  };
  const auto none = [](auto&) {};
  const Case cases[] = {
      {"position block damaged", none, [](Bytes& b) { b[280] ^= 0xFF; }, none,
       TelemetrySkip::NoPosition},
      {"status block damaged", none, [](Bytes& b) { b[70] ^= 0xFF; }, none,
       TelemetrySkip::NoPosition},
      {"serial with a quote and a control byte",
       [](test::FrameSpec& f) {
         f.sondeId = std::string(
             "V4\"5\x01"
             "012",
             8);
       },
       none, none, TelemetrySkip::BadSerial},
      {"RS41-SGM by its type", none, none, [](SondeState& s) { s.sondeType = "RS41-SGM"; },
       TelemetrySkip::Encrypted},
      {"RS41-SGM by its crypto mode", none,
       [](Bytes& b) {
         b[59 + 0x0F] = 3;
         test::SealBlock(b, 59, 40);
       },
       none, TelemetrySkip::Encrypted},
  };
  for (const Case& c : cases) {
    Decoder d;
    test::FrameSpec content;
    c.content(content);
    Bytes bytes = test::BuildFrame(content);
    c.bytes(bytes);
    const RawFrame frame = test::ToRawFrame(bytes);
    const FrameChecks checks = d.Decode(frame);
    c.state(d.chain.State());
    EXPECT_EQ(TelemetryObject(d.chain.State(), checks, frame, Station(), Clock::now()).skip, c.skip)
        << c.name;
  }
}

// Real frames: an RS41-SG on the ground, an encrypted and an unencrypted RS41-SGM.
TEST(SondeHubTelemetry, RealFrames) {
  const std::filesystem::path path = std::filesystem::path(WINDLARK_SHARED_DATA) /
                                     "projecthorus_sondehub-decoders/readme_test_frames.hex.txt";
  std::ifstream in(path);
  if (!in) GTEST_SKIP() << path << " is absent";
  std::vector<RawFrame> frames;
  for (std::string line; std::getline(in, line);) {
    RawFrame frame{};
    if (!line.empty() && line[0] != '#' && ParseHexFrameLine(line, frame)) frames.push_back(frame);
  }
  ASSERT_EQ(frames.size(), 3U);
  std::vector<TelemetryResult> results;
  for (const RawFrame& frame : frames) {
    Decoder d;
    const FrameChecks checks = d.Decode(frame);
    results.push_back(TelemetryObject(d.chain.State(), checks, frame, Station(), Clock::now()));
  }
  ASSERT_EQ(results[0].skip, TelemetrySkip::None);
  for (const char* part :
       {"\"serial\":\"S4610487\"", "\"frame\":1433", "\"datetime\":\"2021-11-12T23:12:05.001Z\"",
        "\"lat\":-34.95202", "\"lon\":138.52073", "\"sats\":10", "\"batt\":3.0"}) {
    EXPECT_NE(results[0].json.find(part), std::string::npos) << part << " in " << results[0].json;
  }
  EXPECT_EQ(results[1].skip, TelemetrySkip::Encrypted);
  EXPECT_EQ(results[2].skip, TelemetrySkip::Encrypted);
}

TEST(SondeHubTelemetry, TimesAndListener) {
  EXPECT_EQ(Rfc3339(At(2026, 1, 1, 0, 0, 0, 999999)), "2026-01-01T00:00:00.999999Z");
  EXPECT_EQ(HttpDate(At(2026, 12, 10, 4, 5, 6, 0)), "Thu, 10 Dec 2026 04:05:06 GMT");
  // GPS time less the leap seconds crosses midnight and the year.
  SondeState state;
  state.gpsYear = 2027;
  state.gpsMonth = 1;
  state.gpsDay = 1;
  state.gpsSecond = 5;
  state.gpsMillis = 40;
  EXPECT_EQ(FrameUtcTime(state), "2026-12-31T23:59:47.040Z");
  state.timeReference = TimeReference::Utc;
  EXPECT_EQ(FrameUtcTime(state), "2027-01-01T00:00:05.040Z");

  SondeHubStation station = Station();
  EXPECT_EQ(ListenerObject(station),
            "{\"software_name\":\"Windlark\",\"software_version\":\"1.15\","
            "\"uploader_callsign\":\"DL1ABC\",\"mobile\":false}");
  station.position = std::array<double, 3>{-33.5, 151.25, 12};
  station.mobile = true;
  EXPECT_EQ(ListenerObject(station),
            "{\"software_name\":\"Windlark\",\"software_version\":\"1.15\","
            "\"uploader_callsign\":\"DL1ABC\",\"uploader_position\":[-33.50000,151.25000,12.0],"
            "\"mobile\":true}");
}

TEST(SondeHubTelemetry, GzipRoundTrip) {
  std::string data = "[";
  for (int k = 0; k < 2000; ++k) data += "{\"frame\":" + std::to_string(k) + "},";
  data += "{}]";
  const std::string packed = Gzip(data);
  ASSERT_GE(packed.size(), 18U);
  EXPECT_EQ(static_cast<unsigned char>(packed[0]), 0x1F);
  EXPECT_EQ(static_cast<unsigned char>(packed[1]), 0x8B);
  EXPECT_LT(packed.size(), data.size() / 4);
  std::string out(data.size() + 16, '\0');
  z_stream s{};
  ASSERT_EQ(inflateInit2(&s, 15 + 16), Z_OK);
  s.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(packed.data()));
  s.avail_in = static_cast<uInt>(packed.size());
  s.next_out = reinterpret_cast<Bytef*>(out.data());
  s.avail_out = static_cast<uInt>(out.size());
  EXPECT_EQ(inflate(&s, Z_FINISH), Z_STREAM_END);
  out.resize(s.total_out);
  inflateEnd(&s);
  EXPECT_EQ(out, data);
  EXPECT_EQ(static_cast<unsigned char>(Gzip("")[0]), 0x1F);
}

TEST(SondeHubTelemetry, ServiceMessages) {
  const ServiceMessages m = ParseServiceMessages(
      R"({"message":"x","errors":[{"error_message":"Bad \"serial\"","payload":{"a":[1,2]}}],)"
      R"("warnings":[{"warning_message":"Old frame","payload":{}},"plain text"]})");
  EXPECT_EQ(m.errors, (std::vector<std::string>{"Bad \"serial\""}));
  EXPECT_EQ(m.warnings, (std::vector<std::string>{"Old frame", "plain text"}));
  for (const char* junk : {"", "not json", "{\"warnings\":[",
                           "[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[["
                           "[[[[[[[[[\"deep\"]]]]"}) {
    const ServiceMessages none = ParseServiceMessages(junk);
    EXPECT_TRUE(none.errors.empty() && none.warnings.empty()) << junk;
  }
}

}  // namespace
}  // namespace windlark
