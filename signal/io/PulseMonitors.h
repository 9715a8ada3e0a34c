#pragma once

#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace windlark {

// PulseAudio (or PipeWire's PulseAudio service) monitor sources: what a sink plays, as an input.
// SDR programs on Linux play into a null sink whose monitor is then the receiver's audio; Qt
// Multimedia leaves monitors out of its device list, so they are listed and read here.
struct PulseMonitor {
  std::string name;         // the source's name, e.g. "sdr.monitor"
  std::string description;  // "Monitor of SDR"
};

// The server's monitor sources, in its order; none when no server answers within a second.
std::vector<PulseMonitor> PulseMonitorSources();

// Records one monitor source as 8-bit unsigned mono at 48 000 Hz (the server converts) on a
// thread of its own, handing each block of samples to `deliver` on that thread.
class PulseMonitorReader {
 public:
  using Deliver = std::function<void(std::string samples)>;

  PulseMonitorReader() = default;
  ~PulseMonitorReader() { Stop(); }
  PulseMonitorReader(const PulseMonitorReader&) = delete;
  PulseMonitorReader& operator=(const PulseMonitorReader&) = delete;

  // False with `error` set when the stream cannot be opened.
  bool Start(const std::string& sourceName, Deliver deliver, std::string& error);
  // Returns within one block (100 ms).
  void Stop();

 private:
  std::thread m_thread;
  std::atomic<bool> m_stop{false};
};

}  // namespace windlark
