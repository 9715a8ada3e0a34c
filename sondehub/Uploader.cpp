#include "sondehub/Uploader.h"

#include <algorithm>

#include "base/Format.h"
#include "sondehub/Gzip.h"
#include "sondehub/ServiceReply.h"

namespace windlark {

namespace {

constexpr std::size_t kMaxLoggedTexts = 200;
constexpr std::size_t kMaxMessageLength = 200;

std::string Shortened(std::string text) {
  if (text.size() > kMaxMessageLength) text = text.substr(0, kMaxMessageLength) + "...";
  return text;
}

bool Retryable(int status) {
  return status == 0 || status == 408 || status == 429 || status >= 500;
}

}  // namespace

std::string SondeHubBaseUrl(std::string_view setting, const char* environment) {
  std::string url = environment != nullptr && *environment != '\0' ? std::string(environment)
                                                                   : std::string(setting);
  while (!url.empty() && url.back() == '/') url.pop_back();
  return url;
}

SondeHubUploader::SondeHubUploader(HttpTransport& transport, std::string baseUrl,
                                   SondeHubStation station, SondeHubTiming timing,
                                   std::size_t maxFrames)
    : m_transport(transport),
      m_baseUrl(std::move(baseUrl)),
      m_station(std::move(station)),
      m_timing(timing),
      m_maxFrames(std::max<std::size_t>(maxFrames, 1)) {
  while (!m_baseUrl.empty() && m_baseUrl.back() == '/') m_baseUrl.pop_back();
}

void SondeHubUploader::Add(std::string telemetryObject) {
  std::lock_guard lock(m_mutex);
  m_queue.push_back({m_nextSeq++, std::move(telemetryObject)});
  while (m_queue.size() > m_maxFrames) {
    m_queue.pop_front();
    ++m_counts.dropped;
  }
}

void SondeHubUploader::Stop() {
  std::lock_guard lock(m_mutex);
  m_stop = true;
  m_wake.notify_all();
}

void SondeHubUploader::Finish(std::chrono::milliseconds deadline) {
  std::lock_guard lock(m_mutex);
  m_finish = true;
  m_finishDeadline = Clock::now() + deadline;
  m_wake.notify_all();
}

SondeHubUploader::Counts SondeHubUploader::Stats() const {
  std::lock_guard lock(m_mutex);
  Counts counts = m_counts;
  counts.queued = m_queue.size();
  return counts;
}

bool SondeHubUploader::Stopping() const {
  std::lock_guard lock(m_mutex);
  return m_stop;
}

void SondeHubUploader::WaitUntil(Clock::time_point until) {
  std::unique_lock lock(m_mutex);
  m_wake.wait_until(lock, until, [this] { return m_stop || m_finish; });
}

void SondeHubUploader::Event(const std::string& line) {
  if (m_events) m_events(line);
}

void SondeHubUploader::EventOnce(const std::string& line) {
  if (m_logged.count(line) != 0) return;
  if (m_logged.size() < kMaxLoggedTexts) m_logged.insert(line);
  Event(line);
}

SondeHubUploader::Outcome SondeHubUploader::Put(const std::string& url, const std::string& json,
                                                std::size_t frames) {
  HttpRequest request;
  request.method = "PUT";
  request.url = url;
  request.timeoutMs = m_timing.requestTimeoutMs;
  request.body = Gzip(json);
  request.headers = {{"Content-Type", "application/json"},
                     {"Content-Encoding", "gzip"},
                     {"User-Agent", "Windlark/" + m_station.softwareVersion},
                     {"Date", HttpDate(std::chrono::system_clock::now())}};
  // A finish past its deadline abandons the request as a stop does.
  const auto abandon = [this] {
    std::lock_guard lock(m_mutex);
    return m_stop || (m_finish && Clock::now() >= m_finishDeadline);
  };
  const HttpResponse response = m_transport.Send(request, abandon);
  if (abandon()) return Outcome::Retry;

  if (response.status >= 200 && response.status <= 299) {
    const ServiceMessages messages = ParseServiceMessages(response.body);
    for (const std::string& text : messages.errors) EventOnce("SondeHub error: " + Shortened(text));
    for (const std::string& text : messages.warnings) {
      EventOnce("SondeHub warning: " + Shortened(text));
    }
    if (!m_lastFailure.empty()) {
      Event("SondeHub upload resumed");
      m_lastFailure.clear();
    }
    return Outcome::Taken;
  }
  const std::string why =
      response.status == 0 ? response.error : "HTTP " + FormatInt(response.status);
  if (Retryable(response.status)) {
    // One line per outage (and when its cause changes), not one per attempt.
    if (why != m_lastFailure) {
      Event("SondeHub upload failed (" + Shortened(why) + "), frames kept for a retry");
      m_lastFailure = why;
    }
    return Outcome::Retry;
  }
  EventOnce("SondeHub refused the upload (" + why + (response.body.empty() ? "" : ": ") +
            Shortened(response.body) + ")" +
            (frames > 0 ? ", " + FormatInt(static_cast<long long>(frames)) + " frames dropped"
                        : std::string()));
  return Outcome::Refused;
}

SondeHubUploader::Outcome SondeHubUploader::SendBatch() {
  for (;;) {
    std::string json = "[";
    std::uint64_t last = 0;
    std::size_t count = 0;
    {
      std::lock_guard lock(m_mutex);
      if (m_queue.empty()) return Outcome::Taken;
      for (const Entry& entry : m_queue) {
        if (count == kMaxBatchFrames) break;
        if (count > 0) json += ',';
        json += entry.json;
        last = entry.seq;
        ++count;
      }
    }
    json += ']';
    const Outcome outcome = Put(TelemetryUrl(), json, count);
    if (outcome == Outcome::Retry) return outcome;
    std::uint64_t newlyDropped = 0;
    {
      std::lock_guard lock(m_mutex);
      // Frames dropped meanwhile for the bound are gone already; remove only what was sent.
      std::uint64_t removed = 0;
      while (!m_queue.empty() && m_queue.front().seq <= last) {
        m_queue.pop_front();
        ++removed;
      }
      (outcome == Outcome::Taken ? m_counts.sent : m_counts.refused) += removed;
      newlyDropped = m_counts.dropped - m_droppedLogged;
      m_droppedLogged = m_counts.dropped;
    }
    if (newlyDropped > 0) {
      Event("SondeHub outage too long: the oldest " +
            FormatInt(static_cast<long long>(newlyDropped)) + " frames were dropped");
    }
  }
}

void SondeHubUploader::Run() {
  const auto now = Clock::now();
  Clock::time_point nextBatch = now + std::chrono::milliseconds(m_timing.batchMs);
  bool listenerDue = m_station.position.has_value();
  Clock::time_point nextListener = now;
  int failures = 0;
  const auto backoff = [&] {
    const long long ms = std::min<long long>(
        static_cast<long long>(m_timing.batchMs) << std::min(failures, 16), m_timing.retryMaxMs);
    return std::chrono::milliseconds(std::max<long long>(ms, 1));
  };

  while (!Stopping()) {
    bool finishing = false;
    Clock::time_point finishDeadline{};
    {
      std::lock_guard lock(m_mutex);
      finishing = m_finish;
      finishDeadline = m_finishDeadline;
    }
    const auto t = Clock::now();
    if (listenerDue && t >= nextListener) {
      if (Put(ListenerUrl(), ListenerObject(m_station), 0) == Outcome::Retry) {
        nextListener = t + backoff();
      } else if (m_station.mobile) {
        listenerDue = false;
      } else {
        nextListener = t + std::chrono::milliseconds(m_timing.listenerMs);
      }
      continue;
    }
    if (t >= nextBatch || finishing) {
      const Outcome outcome = SendBatch();
      if (outcome == Outcome::Retry) {
        ++failures;
        nextBatch = Clock::now() + backoff();
      } else {
        failures = 0;
        nextBatch = Clock::now() + std::chrono::milliseconds(m_timing.batchMs);
      }
      if (finishing) {
        bool empty = false;
        {
          std::lock_guard lock(m_mutex);
          empty = m_queue.empty();
        }
        if (empty || Clock::now() >= finishDeadline) return;
        // Finishing: retry every second, sooner than a running station would, until the deadline.
        std::unique_lock lock(m_mutex);
        m_wake.wait_until(lock,
                          std::min(Clock::now() + std::chrono::milliseconds(1000), finishDeadline),
                          [this] { return m_stop; });
        continue;
      }
    }
    WaitUntil(listenerDue ? std::min(nextBatch, nextListener) : nextBatch);
  }
}

}  // namespace windlark
