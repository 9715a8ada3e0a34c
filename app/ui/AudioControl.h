#pragma once

#include <QObject>
#include <QTimer>
#include <functional>
#include <memory>
#include <string>

#include "app/ReceiveChain.h"
#include "signal/AudioCapture.h"

class QAbstractButton;

namespace windlark {

// "Start audio decoding" / "Stop audio decoding": the sound input, its two circulating buffers
// and the 100 ms timer that dims the lamps and takes the buffer that is due. Everything runs on
// the window's thread.
class TAudioControl : public QObject {
  Q_OBJECT

 public:
  static constexpr int kTickMs = 100;

  TAudioControl(ReceiveChain& chain, std::unique_ptr<AudioSource> source,
                QAbstractButton& startButton, QAbstractButton& stopButton,
                QObject* parent = nullptr);
  ~TAudioControl() override;

  // The device opened by the next start and its name for the status bar.
  void SetDevice(int deviceIndex, std::string name);
  int DeviceIndex() const { return m_deviceIndex; }
  // Called when the device cannot be opened, with the source's reason.
  void SetRefusalHandler(std::function<void(const std::string& reason)> handler) {
    m_onRefused = std::move(handler);
  }

  void StartAudioDecoding();
  void StopAudioDecoding();
  bool Running() const { return m_startLatch; }
  bool StartLatch() const { return m_startLatch; }
  bool StopLatch() const { return m_stopLatch; }
  const QTimer& Timer() const { return m_timer; }
  AudioCapture& Capture() { return m_capture; }

 public slots:
  // One tick of the 100 ms timer.
  void Timer1Timer();

 private:
  ReceiveChain& m_chain;
  std::unique_ptr<AudioSource> m_source;
  AudioCapture m_capture;
  QAbstractButton& m_startButton;
  QAbstractButton& m_stopButton;
  QTimer m_timer;
  int m_deviceIndex = -1;
  std::string m_deviceName;
  bool m_startLatch = false;
  bool m_stopLatch = true;
  std::function<void(const std::string&)> m_onRefused;
};

}  // namespace windlark
