#include "sondehub/Uploader.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <deque>
#include <map>
#include <mutex>
#include <thread>

namespace windlark {
namespace {

std::string Gunzip(const std::string& packed) {
  std::string out(1 << 22, '\0');
  z_stream s{};
  if (inflateInit2(&s, 15 + 16) != Z_OK) return {};
  s.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(packed.data()));
  s.avail_in = static_cast<uInt>(packed.size());
  s.next_out = reinterpret_cast<Bytef*>(out.data());
  s.avail_out = static_cast<uInt>(out.size());
  const int result = inflate(&s, Z_FINISH);
  out.resize(s.total_out);
  inflateEnd(&s);
  return result == Z_STREAM_END ? out : std::string();
}

// Answers from a script, then 200; keeps every request with its body unpacked.
class ScriptedTransport : public HttpTransport {
 public:
  struct Seen {
    std::string url;
    std::map<std::string, std::string> headers;
    std::string json;
  };
  explicit ScriptedTransport(std::deque<HttpResponse> script = {}) : m_script(std::move(script)) {}
  HttpResponse Send(const HttpRequest& request, const std::function<bool()>&) override {
    std::lock_guard lock(m_mutex);
    Seen seen{request.url, {}, Gunzip(request.body)};
    for (const auto& [name, value] : request.headers) seen.headers[name] = value;
    m_seen.push_back(seen);
    if (m_script.empty()) return {200, {}, {}};
    HttpResponse next = m_script.front();
    m_script.pop_front();
    return next;
  }
  std::vector<Seen> Requests() const {
    std::lock_guard lock(m_mutex);
    return m_seen;
  }

 private:
  mutable std::mutex m_mutex;
  std::deque<HttpResponse> m_script;
  std::vector<Seen> m_seen;
};

SondeHubStation Station() {
  SondeHubStation station;
  station.callsign = "DL1ABC";
  station.softwareVersion = "1.15";
  return station;
}

SondeHubTiming Slow() {
  SondeHubTiming timing;
  timing.batchMs = 3600 * 1000;  // only Finish sends
  return timing;
}

std::string Frame(int n) {
  return "{\"frame\":" + std::to_string(n) + "}";
}

// Runs the uploader to the end of a Finish, collecting its events-log lines.
std::vector<std::string> RunToFinish(SondeHubUploader& uploader) {
  std::vector<std::string> events;
  uploader.SetEventSink([&events](const std::string& line) { events.push_back(line); });
  uploader.Finish(std::chrono::seconds(10));
  uploader.Run();
  return events;
}

TEST(SondeHubUploader, FinishSendsThePendingFramesInBatches) {
  ScriptedTransport transport;
  SondeHubUploader uploader(transport, "https://api.example.org//", Station(), Slow());
  for (int k = 0; k < 1300; ++k) uploader.Add(Frame(k));
  RunToFinish(uploader);
  const auto requests = transport.Requests();
  ASSERT_EQ(requests.size(), 3U);
  std::string all;
  for (const auto& r : requests) {
    EXPECT_EQ(r.url, "https://api.example.org/sondes/telemetry");
    EXPECT_EQ(r.headers.at("Content-Encoding"), "gzip");
    EXPECT_EQ(r.headers.at("Content-Type"), "application/json");
    EXPECT_EQ(r.headers.at("User-Agent"), "Windlark/1.15");
    EXPECT_EQ(r.headers.at("Date").size(), 29U) << r.headers.at("Date");
    ASSERT_FALSE(r.json.empty());
    EXPECT_EQ(r.json.front(), '[');
    EXPECT_EQ(r.json.back(), ']');
    all += r.json;
  }
  EXPECT_EQ(requests[0].json.rfind("[" + Frame(0) + "," + Frame(1) + ",", 0), 0U);
  EXPECT_NE(requests[2].json.find(Frame(1299) + "]"), std::string::npos);
  EXPECT_EQ(uploader.Stats().sent, 1300U);
  EXPECT_EQ(uploader.Stats().queued, 0U);
}

TEST(SondeHubUploader, AnswersDecideWhatHappensToABatch) {
  struct Case {
    const char* name;
    HttpResponse first;
    std::uint64_t sent;
    std::uint64_t refused;
    int requests;
    const char* event;
  };
  const Case cases[] = {
      {"500 keeps the frames", {500, {}, {}}, 3, 0, 2, "SondeHub upload failed (HTTP 500)"},
      {"no answer keeps the frames",
       {0, "Connection refused", {}},
       3,
       0,
       2,
       "SondeHub upload failed (Connection refused)"},
      {"429 keeps the frames", {429, {}, {}}, 3, 0, 2, "SondeHub upload failed (HTTP 429)"},
      {"400 refuses them for good",
       {400, {}, "bad json"},
       0,
       3,
       1,
       "SondeHub refused the upload (HTTP 400: bad json), 3 frames dropped"},
      {"202 takes them, errors logged",
       {202, {}, R"({"errors":[{"error_message":"Serial invalid"}],"warnings":[]})"},
       3,
       0,
       1,
       "SondeHub error: Serial invalid"},
  };
  for (const Case& c : cases) {
    ScriptedTransport transport({c.first});
    SondeHubTiming timing = Slow();
    SondeHubUploader uploader(transport, "http://127.0.0.1:9", Station(), timing);
    for (int k = 0; k < 3; ++k) uploader.Add(Frame(k));
    const std::vector<std::string> events = RunToFinish(uploader);
    EXPECT_EQ(uploader.Stats().sent, c.sent) << c.name;
    EXPECT_EQ(uploader.Stats().refused, c.refused) << c.name;
    EXPECT_EQ(static_cast<int>(transport.Requests().size()), c.requests) << c.name;
    ASSERT_FALSE(events.empty()) << c.name;
    EXPECT_EQ(events[0].rfind(c.event, 0), 0U) << c.name << ": " << events[0];
  }
}

TEST(SondeHubUploader, TheBoundDropsTheOldestFrames) {
  ScriptedTransport transport;
  SondeHubUploader uploader(transport, "http://127.0.0.1:9", Station(), Slow(), 4);
  for (int k = 0; k < 10; ++k) uploader.Add(Frame(k));
  EXPECT_EQ(uploader.Stats().queued, 4U);
  EXPECT_EQ(uploader.Stats().dropped, 6U);
  const std::vector<std::string> events = RunToFinish(uploader);
  ASSERT_EQ(transport.Requests().size(), 1U);
  EXPECT_EQ(transport.Requests()[0].json,
            "[" + Frame(6) + "," + Frame(7) + "," + Frame(8) + "," + Frame(9) + "]");
  EXPECT_EQ(
      events,
      (std::vector<std::string>{"SondeHub outage too long: the oldest 6 frames were dropped"}));
}

TEST(SondeHubUploader, ListenerFirstThenStopEndsTheWait) {
  ScriptedTransport transport;
  SondeHubStation station = Station();
  station.position = std::array<double, 3>{44.5, 7.6, 300};
  SondeHubUploader uploader(transport, "http://127.0.0.1:9", station, Slow());
  std::thread runner([&] { uploader.Run(); });
  while (transport.Requests().empty()) std::this_thread::sleep_for(std::chrono::milliseconds(5));
  // Waiting an hour for the next batch: Stop ends it at once (the test's time-out would not).
  uploader.Stop();
  runner.join();
  const auto requests = transport.Requests();
  ASSERT_EQ(requests.size(), 1U);
  EXPECT_EQ(requests[0].url, "http://127.0.0.1:9/listeners");
  EXPECT_NE(requests[0].json.find("\"uploader_position\":[44.50000,7.60000,300.0]"),
            std::string::npos);
}

// A fixed station repeats its listener record; a mobile one sends it once.
TEST(SondeHubUploader, ListenerRepeatsOnlyForAFixedStation) {
  for (const bool mobile : {false, true}) {
    ScriptedTransport transport;
    SondeHubStation station = Station();
    station.position = std::array<double, 3>{44.5, 7.6, 300};
    station.mobile = mobile;
    SondeHubTiming timing;
    timing.batchMs = 20;
    timing.listenerMs = 20;
    SondeHubUploader uploader(transport, "http://127.0.0.1:9", station, timing);
    std::thread runner([&] { uploader.Run(); });
    // Several batch intervals: frames sent in two of them at least.
    uploader.Add(Frame(1));
    while (uploader.Stats().sent < 1) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    uploader.Add(Frame(2));
    while (uploader.Stats().sent < 2) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    uploader.Stop();
    runner.join();
    int listeners = 0;
    for (const auto& r : transport.Requests()) {
      if (r.url.ends_with("/listeners")) {
        ++listeners;
        EXPECT_NE(r.json.find(mobile ? "\"mobile\":true" : "\"mobile\":false"), std::string::npos);
      }
    }
    if (mobile) {
      EXPECT_EQ(listeners, 1);
    } else {
      EXPECT_GE(listeners, 2);
    }
    EXPECT_EQ(transport.Requests()[0].url, "http://127.0.0.1:9/listeners") << mobile;
  }
}

TEST(SondeHubUploader, EnvironmentReplacesTheBaseAddress) {
  EXPECT_EQ(SondeHubBaseUrl("https://api.v2.sondehub.org", nullptr), "https://api.v2.sondehub.org");
  EXPECT_EQ(SondeHubBaseUrl("https://api.v2.sondehub.org", ""), "https://api.v2.sondehub.org");
  EXPECT_EQ(SondeHubBaseUrl("https://api.v2.sondehub.org", "http://127.0.0.1:8080/"),
            "http://127.0.0.1:8080");
}

}  // namespace
}  // namespace windlark
