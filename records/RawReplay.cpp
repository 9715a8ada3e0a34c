#include "records/RawReplay.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <ctime>

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
      if (m_len == 0) return false;  // what follows the last LF is not a line
    }
    const char* begin = m_block.data() + m_pos;
    const auto* lf = static_cast<const char*>(std::memchr(begin, '\n', m_len - m_pos));
    if (lf == nullptr) {
      m_carry.append(begin, m_len - m_pos);
      m_pos = m_len;
      continue;
    }
    m_carry.append(begin, static_cast<std::size_t>(lf - begin));
    m_pos = static_cast<std::size_t>(lf - m_block.data()) + 1;
    if (!m_carry.empty() && m_carry.back() == '\r') m_carry.pop_back();
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

bool RawReplay::Run(const DecodeStep& decode, const MessageSink& message) {
  std::FILE* file = std::fopen(m_path.c_str(), "rb");
  if (file == nullptr) {
    message("Cannot open " + m_path + ": " + std::strerror(errno));
    return false;
  }
  RawLineReader reader(file);
  std::string line;
  long lineNumber = 0;
  bool first = true;
  while (!m_terminate) {
    if (m_paused && !Wait(0)) break;
    if (!reader.Next(line)) break;
    ++lineNumber;
    if (first) {
      // Whether lines start with the frame header or at frame byte 8 shows in the first line.
      first = false;
      RawFrame probe{};
      ParseRawLine(line.substr(0, std::min(line.size(), kFirstLineBytes * 3)), probe, 0);
      m_lineOffset = StatusBlockInPlace(probe) ? 0 : kHeaderBytes;
    }
    if (!ParseRawLine(line, m_frameBuffer, m_lineOffset)) {
      message("Line " + FormatInt(lineNumber) + " of " + m_path + " is not hexadecimal: skipped");
      continue;
    }
    decode(m_frameBuffer);
    ++m_frames;
    if ((m_delayMs > 0 || m_paused) && !Wait(m_delayMs)) break;
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
