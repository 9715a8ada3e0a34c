#pragma once

#include <memory>
#include <string>
#include <vector>

#include "signal/AudioCapture.h"
#include "signal/io/PulseMonitors.h"
#include "signal/io/WaveBufferDevice.h"

class QAudioSource;

namespace windlark {

// The sound card through Qt Multimedia: 8-bit unsigned mono at 48 000 Hz (16-bit where the
// device offers no 8-bit format, converted). Lives on the thread that polls the buffers.
class QtAudioSource : public AudioSource {
 public:
  QtAudioSource();
  ~QtAudioSource() override;
  QtAudioSource(const QtAudioSource&) = delete;
  QtAudioSource& operator=(const QtAudioSource&) = delete;

  // `deviceIndex` is a position in InputDeviceNames(); -1 is the system's default input.
  int Open(int deviceIndex) override;
  void AddBuffer(WaveHeader& header) override;
  void Start() override;
  void Reset() override;
  void Close() override;
  std::string ErrorText() const override { return m_error; }

  // The capture devices by product name, in device order, then the PulseAudio monitor sources
  // (Qt lists no monitors): a position here is a device index.
  static std::vector<std::string> InputDeviceNames();
  // The product name of the system's default input, "" when there is none.
  static std::string DefaultInputName();

 private:
  int OpenMonitor(const PulseMonitor& monitor);

  std::unique_ptr<QAudioSource> m_input;
  std::unique_ptr<PulseMonitorReader> m_monitor;
  TWaveBufferDevice m_sink;
  std::string m_error;
};

}  // namespace windlark
