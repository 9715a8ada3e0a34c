#include "records/RawReplay.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <ctime>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "base/Format.h"
#include "decoder/BlockWalk.h"
#include "decoder/Crc.h"
#include "records/RawCapture.h"

namespace windlark {

namespace {

constexpr int kHeaderBytes = 8;
// Up to the end of the status block's CRC in the current layout (frame byte 114).
constexpr std::size_t kFirstLineBytes = 115;

// A status block that passes where either frame layout has it.
bool StatusBlockInPlace(const RawFrame& frame) {
  for (const FrameLayout layout : {FrameLayout::Classic, FrameLayout::Current}) {
    const auto at = FixedDataStart(layout, kStatusBlockId);
    if (at && BlockCrcOk(frame, kStatusBlockLength, *at)) return true;
  }
  return false;
}

}  // namespace

bool RawLineReader::Next(std::string& line) {
  for (;;) {
    if (m_pos == m_len) {
      m_len = std::fread(m_block.data(), 1, m_block.size(), m_file);
      m_pos = 0;
      if (m_len == 0) {
        // What follows the last line end is not a line.
        m_readFailed = std::ferror(m_file) != 0;
        if (m_readFailed) m_readErrno = errno;
        m_tail = !m_carry.empty() || m_overflow;
        return false;
      }
    }
    if (m_afterCr) {
      m_afterCr = false;
      if (m_block[m_pos] == '\n') {
        ++m_pos;
        continue;
      }
    }
    const char* begin = m_block.data() + m_pos;
    const char* end = m_block.data() + m_len;
    const char* stop = std::find_if(begin, end, [](char c) { return c == '\n' || c == '\r'; });
    const auto count = static_cast<std::size_t>(stop - begin);
    if (!m_overflow && m_carry.size() + count > kMaxLineBytes) {
      m_overflow = true;
      m_carry.clear();
      m_carry.shrink_to_fit();
    }
    if (!m_overflow) m_carry.append(begin, count);
    m_pos += count;
    if (stop == end) continue;
    m_afterCr = *stop == '\r';
    ++m_pos;
    m_tooLong = m_overflow;
    m_overflow = false;
    line = std::move(m_carry);
    m_carry.clear();
    return true;
  }
}

void RawReplay::SetSpeed(ReplaySpeed speed) {
  static constexpr int kDelays[] = {0, 2000, 1000, 250, 125, 1};
  {
    // Stored under the lock the worker tests its condition under, so it cannot miss the wake.
    const std::lock_guard lock(m_mutex);
    if (speed == ReplaySpeed::Stop) {
      m_paused = true;
    } else {
      m_delayMs = kDelays[static_cast<int>(speed)];
      m_paused = false;
    }
  }
  m_wake.notify_all();
}

void RawReplay::SetUnpaced() {
  {
    const std::lock_guard lock(m_mutex);
    m_delayMs = 0;
    m_paused = false;
  }
  m_wake.notify_all();
}

void RawReplay::Terminate() {
  {
    const std::lock_guard lock(m_mutex);
    m_terminate = true;
  }
  m_wake.notify_all();
}

bool RawReplay::Wait(int ms) {
  std::unique_lock lock(m_mutex);
  const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  // A speed change cuts the current pause short.
  const int delayBefore = m_delayMs;
  m_wake.wait_until(lock, until,
                    [&] { return m_terminate || m_paused || m_delayMs != delayBefore; });
  m_wake.wait(lock, [&] {
    const bool go = m_terminate || !m_paused;
    if (!go && m_beforeSleep) m_beforeSleep();
    return go;
  });
  return !m_terminate;
}

namespace {

// Opens only a regular file: a FIFO would block in the open and a device never ends, and a
// directory would read as an empty file.
std::FILE* OpenRegularFile(const std::string& path, std::string& error) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    error = std::strerror(errno);
    return nullptr;
  }
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    error = "not a regular file";
    ::close(fd);
    return nullptr;
  }
  const int flags = ::fcntl(fd, F_GETFL);
  if (flags >= 0) ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
  std::FILE* file = ::fdopen(fd, "rb");
  if (file == nullptr) {
    error = std::strerror(errno);
    ::close(fd);
  }
  return file;
}

}  // namespace

bool RawReplay::Run(const DecodeStep& decode, const MessageSink& message) {
  std::string error;
  std::FILE* file = OpenRegularFile(m_path, error);
  if (file == nullptr) {
    message("Cannot open " + m_path + ": " + error);
    return false;
  }
  RawLineReader reader(file);
  std::string line;
  long lineNumber = 0;
  long firstSkipped = 0;
  bool first = true;
  auto skip = [&] {
    if (m_skipped++ == 0) firstSkipped = lineNumber;
  };
  bool ended = false;
  while (!m_terminate) {
    if (m_paused && !Wait(0)) break;
    if (!reader.Next(line)) {
      ended = true;
      break;
    }
    ++lineNumber;
    if (reader.TooLong()) {
      skip();
      continue;
    }
    if (ParseHexFrameLine(line, m_frameBuffer)) {
      m_hexLog = true;
      first = false;
    } else if (m_hexLog) {
      // Between the frames of a hex log: blank lines, comments, other decoders' JSON.
      if (!line.empty()) skip();
      continue;
    } else {
      if (first) {
        // Whether lines start with the frame header or at frame byte 8 shows in the first line.
        first = false;
        RawFrame probe{};
        ParseRawLine(line.substr(0, std::min(line.size(), kFirstLineBytes * 3)), probe, 0);
        m_lineOffset = StatusBlockInPlace(probe) ? 0 : kHeaderBytes;
      }
      if (!ParseRawLine(line, m_frameBuffer, m_lineOffset)) {
        skip();
        continue;
      }
    }
    decode(m_frameBuffer);
    ++m_frames;
    if ((m_delayMs > 0 || m_paused) && !Wait(m_delayMs)) break;
  }
  if (m_skipped == 1) {
    message("Line " + FormatInt(firstSkipped) + " of " + m_path +
            " is neither a raw nor a hex frame line: skipped");
  } else if (m_skipped > 1) {
    message(FormatInt(m_skipped.load()) + " lines of " + m_path +
            " are neither raw nor hex frame lines: skipped (the first is line " +
            FormatInt(firstSkipped) + ")");
  }
  if (ended && reader.ReadFailed()) {
    message("Read error in " + m_path + " after line " + FormatInt(lineNumber) + ": " +
            std::strerror(reader.ReadErrno()));
  } else if (ended && reader.UnterminatedTail()) {
    message("The last line of " + m_path + " has no line end: skipped");
  }
  std::fclose(file);
  return true;
}

void ShowReplayLaunchTime(SondeState& state, TelemetryView& view) {
  if (!state.statusValid || !state.positionValid || state.gpsYear == 0) return;
  std::tm utc{};
  utc.tm_year = state.gpsYear - 1900;
  utc.tm_mon = state.gpsMonth - 1;
  utc.tm_mday = state.gpsDay;
  utc.tm_hour = state.gpsHour;
  utc.tm_min = state.gpsMinute;
  utc.tm_sec = state.gpsSecond;
  const std::time_t when = timegm(&utc);
  state.launchTimeText = LaunchTimeText(when, state.frameNumber);
  view.SetStatusPanel(1, 2, "Extimated Launch time: " + state.launchTimeText + " (Local)");
}

void ShowReplayFinished(DecodeContext& ctx) {
  for (int k = 0; k < kIndicatorCount; ++k) ctx.lamps.SetLamp(static_cast<Lamp>(k), kNavy);
  ctx.lamps.SetLamp(Lamp::Input, kNavy);
  ShowInputSource(ctx, "Input source: None");
}

}  // namespace windlark
