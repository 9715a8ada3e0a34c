#pragma once

#include <QObject>
#include <QString>
#include <atomic>
#include <memory>

#include "rotor/RotorTracking.h"

class QSerialPort;
class QTcpSocket;
class QTimer;

namespace windlark {

class RotorStore;

// What one rotor link needs: its protocol and either the serial line, the AZ/EL folder or the
// rotctld address.
struct RotorLinkConfig {
  int protocol = 0;  // a RotorProtocol
  QString portName;  // "ttyUSB0" or a device path
  int baudRate = 9600;
  int queryPeriodS = 5;
  QString storeDir;  // the AZ/EL files
  QString rotctldHost = QStringLiteral("127.0.0.1");
  int rotctldPort = 4533;
};

// The rotor link worker: lives on its own thread, started through Execute by QThread::started;
// a 500 ms tick sends the pending request and, for GS-232 and rotctld, polls the position.
// Everything it shows goes out as signals to the rotor window.
class TAntennaRotor : public QObject {
  Q_OBJECT

 public:
  static constexpr int kTickMs = 500;

  explicit TAntennaRotor(RotorLinkConfig config, QObject* parent = nullptr);
  ~TAntennaRotor() override;

  // From any thread.
  void MoveTo(int azimuth, int elevation) { m_requests.MoveTo(azimuth, elevation); }
  void StopRotor() { m_requests.StopRotor(); }
  // The link ends after the tick in hand, at once when it is waiting.
  void Terminate();

 public slots:
  void Execute();

 signals:
  // Status bar panel 0 (the link) and panel 1 (the rotor).
  void LinkStatus(const QString& text);
  void RotorStatus(const QString& text);
  // The "Current Position " labels.
  void Position(const QString& azimuth, const QString& elevation);
  // The link came up (the window enables its controls) or could not be opened.
  void Opened(bool ok);
  // The line went away during the session (adapter pulled, daemon ended).
  void Lost();
  // The loop is over (last signal).
  void Finished();

 private:
  bool OpenSerial();
  bool OpenRotctld();
  void Tick();
  void TickGs232(const RotorRequests::Request& request);
  void TickOneWay(const RotorRequests::Request& request);
  void TickStore(const RotorRequests::Request& request);
  void TickRotctld(const RotorRequests::Request& request);
  bool QueryDue();
  void SendSerial(const QByteArray& bytes);
  QByteArray ReadUpTo(int count);
  bool RotctldAsk(const QByteArray& command, QByteArray& reply);
  bool LineLost() const;
  void LoseLine();
  void Finish();

  RotorLinkConfig m_config;
  RotorRequests m_requests;
  std::unique_ptr<QSerialPort> m_port;
  std::unique_ptr<QTcpSocket> m_socket;
  std::unique_ptr<RotorStore> m_store;
  QTimer* m_timer = nullptr;
  int m_queryCounter = 1000;
  std::atomic<bool> m_terminate{false};
  bool m_done = false;
};

}  // namespace windlark
