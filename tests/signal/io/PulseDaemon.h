#pragma once

#include <sys/types.h>

#include <filesystem>
#include <string>

namespace windlark::test {

// A private PulseAudio daemon with one pipe source, the way a receiver's audio reaches a sound
// input, and one null sink, the way an SDR program's audio does. Start() points this process at it
// (HOME, XDG_RUNTIME_DIR, PULSE_SERVER); it must run before the first Qt Multimedia use, since Qt
// connects to PulseAudio once per process.
class PulseDaemon {
 public:
  static constexpr const char* kSourceName = "RS41-Test-Receiver";
  static constexpr const char* kNullSinkName = "SDR-Null-Sink";  // sink "sdr"

  PulseDaemon() = default;
  ~PulseDaemon() { Stop(); }
  PulseDaemon(const PulseDaemon&) = delete;
  PulseDaemon& operator=(const PulseDaemon&) = delete;

  // False with `error` set when the daemon is not installed or does not come up.
  bool Start(std::string& error);
  void Stop();
  bool Running() const { return m_pid > 0; }
  // Audio written here (8-bit unsigned mono, 48 000 Hz) comes out of the source.
  std::filesystem::path Fifo() const { return m_dir / "runtime" / "rs41.fifo"; }

 private:
  pid_t m_pid = -1;
  std::filesystem::path m_dir;
};

// The daemon of this test process, started by main(); null when it could not be started.
PulseDaemon* SharedPulseDaemon();
const std::string& PulseDaemonError();

}  // namespace windlark::test
