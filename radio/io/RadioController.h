#pragma once

#include <QObject>
#include <QString>
#include <atomic>
#include <memory>

#include "radio/RadioScan.h"
#include "radio/RadioSettings.h"

class QTimer;

namespace windlark {

class TcpLineTransport;

// Where the receiver's remote control listens.
struct RadioLinkConfig {
  RadioLinkKind kind = RadioLinkKind::NetRemote;
  QString host = QStringLiteral("127.0.0.1");
  int port = 3382;
};

// The frequency-scan worker: lives on its own thread, started by QThread::started through
// Execute, one tick per period. Everything it shows goes out as signals to the window.
class TRadioController : public QObject, private ScanView {
  Q_OBJECT

 public:
  TRadioController(RadioLinkConfig config, ScanInputs inputs, QObject* parent = nullptr);
  ~TRadioController() override;

  // From any thread: the scan ends at once if it is waiting, else after the tick in hand.
  void Terminate();

 public slots:
  void Execute();

 signals:
  void StatusChanged(int code, const QString& text, bool red, bool bold);
  void FrequencyChanged(const QString& text);
  void LampChanged(bool lit);
  void StartGlyphChanged(bool pause);
  // The rescan countdown label; empty hides it.
  void CountdownChanged(const QString& text);
  // The sonde is locked and there is no rescan: the start/stop pair goes back to stopped.
  void ScanEnded();
  // The loop is over (last signal).
  void Finished();

 private:
  void ShowStatus(int code, const RadioStatusLook& look) override;
  void ShowFrequency(const std::string& text) override;
  void SetLamp(bool lit) override;
  void SetStartGlyph(StartGlyph glyph) override;
  void ShowCountdown(const std::string& text) override;
  void EndScan() override;

  void RunTick();
  void Finish();

  RadioLinkConfig m_config;
  ScanInputs m_inputs;
  std::unique_ptr<ReceiverProtocol> m_protocol;
  std::unique_ptr<TcpLineTransport> m_link;
  std::unique_ptr<RadioScan> m_scan;
  QTimer* m_timer = nullptr;
  std::atomic<bool> m_terminate{false};
  bool m_done = false;
};

}  // namespace windlark
