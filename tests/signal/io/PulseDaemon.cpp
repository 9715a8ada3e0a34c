#include "signal/io/PulseDaemon.h"

#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <thread>

namespace windlark::test {

namespace {

bool OnPath(const std::string& program) {
  const char* path = std::getenv("PATH");
  if (path == nullptr) return false;
  std::string folders = path;
  std::size_t start = 0;
  while (start <= folders.size()) {
    const std::size_t end = std::min(folders.find(':', start), folders.size());
    const std::filesystem::path candidate =
        std::filesystem::path(folders.substr(start, end - start)) / program;
    if (::access(candidate.c_str(), X_OK) == 0) return true;
    start = end + 1;
  }
  return false;
}

std::string ReadLog(const std::filesystem::path& file) {
  std::ifstream in(file);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace

bool PulseDaemon::Start(std::string& error) {
  if (!OnPath("pulseaudio")) {
    error = "pulseaudio is not installed";
    return false;
  }
  std::string pattern = (std::filesystem::temp_directory_path() / "windlark-pulse-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) {
    error = "cannot make a temporary folder";
    return false;
  }
  m_dir = pattern;
  std::filesystem::create_directories(m_dir / "home");
  std::filesystem::create_directories(m_dir / "runtime");
  std::filesystem::permissions(m_dir / "runtime", std::filesystem::perms::owner_all);
  const std::filesystem::path socket = m_dir / "runtime" / "native";
  ::setenv("HOME", (m_dir / "home").c_str(), 1);
  ::setenv("XDG_RUNTIME_DIR", (m_dir / "runtime").c_str(), 1);
  ::setenv("PULSE_SERVER", ("unix:" + socket.string()).c_str(), 1);

  const std::string native =
      "module-native-protocol-unix auth-anonymous=1 socket=" + socket.string();
  const std::string pipe = "module-pipe-source file=" + Fifo().string() +
                           " format=u8 rate=48000 channels=1 source_name=rs41test"
                           " source_properties=device.description=" +
                           kSourceName;
  // A null sink as SDR programs play into: its monitor is then the receiver's audio.
  const std::string nullSink =
      std::string("module-null-sink sink_name=sdr sink_properties=device.description=") +
      kNullSinkName;
  const std::string log = (m_dir / "pulse.log").string();
  const pid_t parent = ::getpid();
  m_pid = ::fork();
  if (m_pid == 0) {
    // The daemon ends with the test even when the test dies.
    ::prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (::getppid() != parent) ::_exit(1);
    if (FILE* out = std::freopen(log.c_str(), "w", stderr)) (void)out;
    ::execlp("pulseaudio", "pulseaudio", "-n", "--daemonize=no", "--exit-idle-time=-1",
             "--use-pid-file=no", "--log-target=stderr", "-L", native.c_str(), "-L", pipe.c_str(),
             "-L", nullSink.c_str(), static_cast<char*>(nullptr));
    ::_exit(127);
  }
  if (m_pid < 0) {
    error = "fork failed";
    return false;
  }
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (std::chrono::steady_clock::now() < until) {
    int status = 0;
    if (::waitpid(m_pid, &status, WNOHANG) == m_pid) {
      m_pid = -1;
      error = "pulseaudio ended at start: " + ReadLog(log);
      return false;
    }
    if (std::filesystem::exists(socket) && std::filesystem::exists(Fifo())) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  error = "pulseaudio did not come up: " + ReadLog(log);
  Stop();
  return false;
}

void PulseDaemon::Stop() {
  if (m_pid > 0) {
    ::kill(m_pid, SIGTERM);
    int status = 0;
    ::waitpid(m_pid, &status, 0);
    m_pid = -1;
  }
  if (!m_dir.empty()) {
    std::error_code ec;
    std::filesystem::remove_all(m_dir, ec);
    m_dir.clear();
  }
}

}  // namespace windlark::test
