#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <set>
#include <string>

#include "sondehub/HttpTransport.h"
#include "sondehub/Telemetry.h"

namespace windlark {

// Every wait, in milliseconds; tests shorten them.
struct SondeHubTiming {
  int batchMs = 15000;               // telemetry goes out in one request this often
  int listenerMs = 6 * 3600 * 1000;  // a fixed station's listener record
  int retryMaxMs = 120000;           // the longest back-off after failures
  int requestTimeoutMs = 20000;
};

// About one hour of frames (one a second): what an outage may hold back.
inline constexpr std::size_t kMaxQueuedFrames = 3600;
// The most objects one request carries; a longer queue goes out in several at once.
inline constexpr std::size_t kMaxBatchFrames = 600;

// The upload: frames are queued from any thread (Add) and sent by Run on its own thread every
// batch interval as one gzip-compressed JSON list. 2xx takes them; the 201/202 messages go to
// the events log once per text. 5xx, 408, 429 and network errors keep them and retry with a
// doubling back-off; other 4xx answers refuse them for good (resending cannot help). Beyond
// the bound the oldest frames are dropped, nothing else.
class SondeHubUploader {
 public:
  using EventSink = std::function<void(const std::string&)>;

  SondeHubUploader(HttpTransport& transport, std::string baseUrl, SondeHubStation station,
                   SondeHubTiming timing = {}, std::size_t maxFrames = kMaxQueuedFrames);

  // Called from the uploading thread with each events-log line.
  void SetEventSink(EventSink sink) { m_events = std::move(sink); }

  void Add(std::string telemetryObject);
  // Sends the listener record first (when the station has a position), then batches until
  // Stop. With `Finish`, pending frames get one last attempt.
  void Run();
  // From any thread: Run returns at once, a request under way is abandoned.
  void Stop();
  // From any thread: Run sends what is pending now (retrying with back-off until `deadline`
  // has passed) and then returns.
  void Finish(std::chrono::milliseconds deadline);

  struct Counts {
    std::size_t queued = 0;
    std::uint64_t sent = 0;
    std::uint64_t dropped = 0;  // oldest frames dropped beyond the bound
    std::uint64_t refused = 0;  // frames of batches the service refused (4xx)
  };
  Counts Stats() const;

  std::string TelemetryUrl() const { return m_baseUrl + "/sondes/telemetry"; }
  std::string ListenerUrl() const { return m_baseUrl + "/listeners"; }

 private:
  using Clock = std::chrono::steady_clock;
  enum class Outcome { Taken, Refused, Retry };

  Outcome SendBatch();
  Outcome Put(const std::string& url, const std::string& json, std::size_t frames);
  void Event(const std::string& line);
  // Logs a text the first time only.
  void EventOnce(const std::string& line);
  bool Stopping() const;
  // Waits until `until`, Stop or Finish.
  void WaitUntil(Clock::time_point until);

  HttpTransport& m_transport;
  std::string m_baseUrl;
  SondeHubStation m_station;
  SondeHubTiming m_timing;
  std::size_t m_maxFrames;
  EventSink m_events;
  std::set<std::string> m_logged;
  std::string m_lastFailure;

  mutable std::mutex m_mutex;  // guards everything below
  std::condition_variable m_wake;
  struct Entry {
    std::uint64_t seq = 0;
    std::string json;
  };
  std::deque<Entry> m_queue;
  std::uint64_t m_nextSeq = 0;
  bool m_stop = false;
  bool m_finish = false;
  Clock::time_point m_finishDeadline{};
  std::uint64_t m_droppedLogged = 0;  // drops the events log has told of
  Counts m_counts;
};

// The base address to use: the environment's WINDLARK_SONDEHUB_URL when set, else the setting;
// a trailing "/" is taken off.
std::string SondeHubBaseUrl(std::string_view setting, const char* environment);

}  // namespace windlark
