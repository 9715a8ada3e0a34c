#pragma once

#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "cli/CurlTransport.h"
#include "sondehub/Uploader.h"

namespace windlark {

// The --sondehub options shared by decode and replay.
struct SondeHubOptions {
  std::string callsign;  // empty: no upload
  bool testMode = false;
  bool mobile = false;
  std::string antenna;
  std::string position;  // "LAT,LON,ALT"
};

// Takes the option at args[i] (and its value) when it is one of them; sets `error` when its
// value is missing.
bool TakeSondeHubOption(const std::vector<std::string>& args, std::size_t& i,
                        SondeHubOptions& options, std::string& error);
extern const char* const kSondeHubHelp;

// The upload of a run: the uploader on its own thread; the events-log lines go to standard
// error. Finish sends what is left.
class SondeHubRun {
 public:
  // Empty when the options are usable, else the reason.
  std::string Start(const SondeHubOptions& options);
  bool Active() const { return m_uploader != nullptr; }
  // Queues the frame's telemetry object when it gives one.
  void Frame(const SondeState& state, const FrameChecks& checks, const RawFrame& frame);
  // Sends what is pending, retrying for up to `deadline`; a summary line on standard error.
  void Finish(std::chrono::milliseconds deadline);
  ~SondeHubRun();

 private:
  std::unique_ptr<CurlTransport> m_transport;
  std::unique_ptr<SondeHubUploader> m_uploader;
  std::thread m_thread;
  SondeHubStation m_station;
  std::vector<TelemetrySkip> m_skipsLogged;
};

}  // namespace windlark
