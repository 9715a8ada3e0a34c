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

// Reads a file in blocks of 65 535 bytes and returns its lines: a line ends at LF, a CR right
// before the LF is dropped, a line may span blocks, and text after the last LF is not returned.
class RawLineReader {
 public:
  explicit RawLineReader(std::FILE* file) : m_file(file), m_block(kBlockSize) {}
  bool Next(std::string& line);

  static constexpr std::size_t kBlockSize = 65535;

 private:
  std::FILE* m_file;
  std::vector<char> m_block;
  std::size_t m_pos = 0;
  std::size_t m_len = 0;
  std::string m_carry;
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

  // Runs to the end of the file or until terminated. False (with a message) when the file
  // cannot be opened; lines that are not hexadecimal are skipped with a message.
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

 private:
  // Waits `ms` or while paused; false when asked to terminate.
  bool Wait(int ms);

  std::string m_path;
  RawFrame m_frameBuffer{};  // never cleared between lines: short lines keep earlier bytes
  int m_lineOffset = 0;
  std::atomic<int> m_delayMs{1000};
  std::atomic<bool> m_paused{false};
  std::atomic<bool> m_terminate{false};
  std::atomic<int> m_frames{0};
  std::mutex m_mutex;
  std::condition_variable m_wake;
  std::function<void()> m_beforeSleep;
};

// After each replayed frame: the launch-time estimate from the frame's GPS time.
void ShowReplayLaunchTime(SondeState& state, TelemetryView& view);

// The end of a replay as the main window shows it: indicators and input lamp navy, no input.
void ShowReplayFinished(DecodeContext& ctx);

}  // namespace windlark
