#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <span>
#include <string>

#include "signal/BitSlicer.h"

namespace windlark {

// One buffer handed to the sound driver: the driver fills it and sets `done`.
struct WaveHeader {
  std::uint8_t* data = nullptr;
  std::uint32_t length = 0;
  std::atomic<bool> done{false};
};

// A source of 8-bit unsigned mono samples at 48 000 Hz that fills queued buffers in order,
// the way a sound driver does: the sound card, a file or standard input.
class AudioSource {
 public:
  virtual ~AudioSource() = default;
  // 0 on success, anything else is the source's error code.
  virtual int Open(int deviceIndex) = 0;
  // Queue a buffer; the source clears `done`, fills it and sets `done` when it is full.
  virtual void AddBuffer(WaveHeader& header) = 0;
  virtual void Start() = 0;
  // Stop and hand back every queued buffer.
  virtual void Reset() = 0;
  virtual void Close() = 0;
  // Human-readable reason for the last failure.
  virtual std::string ErrorText() const { return {}; }
};

// The input signal monitor, when its window exists.
class SignalMonitorSink {
 public:
  virtual ~SignalMonitorSink() = default;
  virtual bool IsVisible() const = 0;
  virtual void ShowBuffer(std::span<const std::uint8_t> buffer) = 0;
  virtual void ShowPhase(int phase) = 0;
};

// Two half-second buffers circulating between the source and the slicer, polled by a timer.
class AudioCapture {
 public:
  AudioCapture(AudioSource& source, Demodulator& slicer) : m_source(source), m_slicer(slicer) {}
  ~AudioCapture();
  AudioCapture(const AudioCapture&) = delete;
  AudioCapture& operator=(const AudioCapture&) = delete;

  int Open(int deviceIndex);
  void Start();
  // One timer tick's poll: slices the buffer that is due, if it is complete. True if it was.
  bool Poll();
  void Close();

  bool IsOpen() const { return m_open; }
  int Current() const { return m_current; }
  void SetMonitor(SignalMonitorSink* monitor) { m_monitor = monitor; }

 private:
  AudioSource& m_source;
  Demodulator& m_slicer;
  SignalMonitorSink* m_monitor = nullptr;
  std::array<std::array<std::uint8_t, kSamplesPerBuffer>, 2> m_buffers{};
  std::array<WaveHeader, 2> m_headers;
  int m_current = 0;
  bool m_open = false;
};

}  // namespace windlark
