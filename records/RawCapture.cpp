#include "records/RawCapture.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include <unistd.h>

#include "base/Format.h"

namespace windlark {

std::string SafeFileComponent(std::string_view id) {
  std::string safe;
  for (char c : id) {
    const bool ok = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                    c == '-' || c == '_';
    safe += ok ? c : '_';
  }
  return safe.empty() ? "_" : safe;
}

std::string LaunchTimeText(std::time_t when, int frameNumber) {
  const std::time_t t = when - frameNumber + 3600;
  std::tm local{};
  localtime_r(&t, &local);
  return FormatInt(local.tm_year + 1900, 4) + "-" + FormatInt(local.tm_mon + 1, 2) + "-" +
         FormatInt(local.tm_mday, 2) + "-" + FormatInt(local.tm_hour, 2);
}

std::string CaptureFrame(const RawFrame& frame, SondeState& state, TelemetryView& view,
                         const std::string& rawDir, std::time_t now) {
  if (!state.saveRaw) return {};
  if (!state.rawFileNamed && state.statusValid) {
    state.launchTimeText = LaunchTimeText(now, state.frameNumber);
    std::string dir = rawDir;
    if (!dir.empty() && dir.back() == '/') dir.pop_back();
    state.rawFileName =
        dir + "/" + state.launchTimeText + "-" + SafeFileComponent(state.sondeId) + ".txt";
    state.rawFileNamed = true;
    view.SetStatusPanel(2, 2, "Save Raw File: Active");
    view.SetStatusPanel(1, 2, "Estimated Launch Time: " + state.launchTimeText + " (Local)");
  }
  if (!state.rawFileNamed ||
      !(state.statusValid || state.gpsTimeValid || state.positionValid || state.ptuValid)) {
    return {};
  }
  // Opened and closed per frame: a crash loses at most the current line.
  std::FILE* file = std::fopen(state.rawFileName.c_str(), "ab");
  if (file == nullptr) return state.rawFileName + ": " + std::strerror(errno);
  // Where this line starts: a failed write is cut back to it, so the next line after a full
  // disk starts a line of its own instead of continuing a torn one.
  const bool sized = std::fseek(file, 0, SEEK_END) == 0;
  const long before = sized ? std::ftell(file) : -1;
  const std::string line = RawLine(frame) + "\r\n";
  const bool written = std::fwrite(line.data(), 1, line.size(), file) == line.size();
  const int writeErrno = errno;
  const bool closed = std::fclose(file) == 0;
  if (!written || !closed) {
    const int failure = written ? errno : writeErrno;
    if (before >= 0) ::truncate(state.rawFileName.c_str(), static_cast<off_t>(before));
    return state.rawFileName + ": " + std::strerror(failure);
  }
  return {};
}

}  // namespace windlark
