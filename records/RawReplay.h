#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "base/LampBank.h"
#include "base/RawFrame.h"
#include "base/TelemetryView.h"
#include "decoder/FrameDecoder.h"
#include "decoder/SondeState.h"
#include "records/RawLine.h"

namespace windlark {

// Reads a file in blocks of 65 535 bytes and returns its lines: a line ends at LF, CR LF or a
// lone CR (files edited elsewhere), a line may span blocks, and text after the last line end is
// not returned (UnterminatedTail() tells). A line longer than kMaxLineBytes is returned empty
// with TooLong() set, its bytes discarded as they come, so no input costs unbounded memory.
class RawLineReader {
 public:
  explicit RawLineReader(std::FILE* file) : m_file(file), m_block(kBlockSize) {}
  bool Next(std::string& line);
  bool TooLong() const { return m_tooLong; }
  // After Next() returned false: whether the file could not be read to its end, and whether
  // bytes followed the last line end.
  bool ReadFailed() const { return m_readFailed; }
  int ReadErrno() const { return m_readErrno; }
  bool UnterminatedTail() const { return m_tail; }

  static constexpr std::size_t kBlockSize = 65535;
  // A recorded line is under 1.5 KB, another decoder's hex frame about 1 KB.
  static constexpr std::size_t kMaxLineBytes = 65536;

 private:
  std::FILE* m_file;
  std::vector<char> m_block;
  std::size_t m_pos = 0;
  std::size_t m_len = 0;
  std::string m_carry;
  bool m_overflow = false;  // the current line passed kMaxLineBytes
  bool m_tooLong = false;
  bool m_afterCr = false;  // an LF right after a CR ends no second line
  bool m_readFailed = false;
  int m_readErrno = 0;
  bool m_tail = false;
};

// Replay speeds: the track-bar positions of the control window.
enum class ReplaySpeed { Stop = 0, Half = 1, Normal = 2, Four = 3, Eight = 4, Max = 5 };

// Feeds a raw file back to the decoder, paced like the recorded flight. The loop runs on a
// worker thread; `decode` runs the frame on the decoding thread and returns when it is done.
class RawReplay {
 public:
  using DecodeStep = std::function<void(const RawFrame&)>;
  using MessageSink = std::function<void(const std::string&)>;

  explicit RawReplay(std::string path) : m_path(std::move(path)) {}

  // Runs to the end of the file or until terminated. False (with a message) when the path is
  // not a regular file or cannot be opened. Takes the raw lines this program records and the
  // hex frame lines of other decoders; other lines are skipped with one message at the end,
  // and a read error or a torn last line gets a message of its own.
  bool Run(const DecodeStep& decode, const MessageSink& message);

  void SetSpeed(ReplaySpeed speed);
  // No pause between frames at all: for exports and tests.
  void SetUnpaced();
  void Terminate();
  // For tests: runs on the worker, under the lock, each time a paused wait has found it must go
  // on sleeping and is about to.
  void SetBeforeSleepHook(std::function<void()> hook) { m_beforeSleep = std::move(hook); }
  bool Paused() const { return m_paused; }
  int DelayMs() const { return m_delayMs; }
  int LineOffset() const { return m_lineOffset; }
  int FramesDecoded() const { return m_frames; }
  int LinesSkipped() const { return m_skipped; }

 private:
  // Waits `ms` or while paused; false when asked to terminate.
  bool Wait(int ms);

  std::string m_path;
  RawFrame m_frameBuffer{};  // never cleared between lines: short lines keep earlier bytes
  int m_lineOffset = 0;
  bool m_hexLog = false;  // a hex frame line was seen: blank lines separate, they are no frames
  std::atomic<int> m_delayMs{1000};
  std::atomic<bool> m_paused{false};
  std::atomic<bool> m_terminate{false};
  std::atomic<int> m_frames{0};
  std::atomic<int> m_skipped{0};
  std::mutex m_mutex;
  std::condition_variable m_wake;
  std::function<void()> m_beforeSleep;
};

// After each replayed frame: the launch-time estimate from the frame's GPS time.
void ShowReplayLaunchTime(SondeState& state, TelemetryView& view);

// The end of a replay as the main window shows it: indicators and input lamp navy, no input.
void ShowReplayFinished(DecodeContext& ctx);

}  // namespace windlark
