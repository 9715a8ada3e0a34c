#pragma once

#include <QByteArray>
#include <QMetaType>
#include <QObject>
#include <QString>
#include <optional>

#include "gps/GpsInSettings.h"
#include "gps/Nmea.h"

class QSerialPort;
class QTcpSocket;
class QTimer;

namespace windlark {

// Where the reader takes its sentences from and how the serial line is set.
struct GpsIoConfig {
  GpsSource source = GpsSource::SerialPort;
  QString portName;  // a device path ("/dev/ttyUSB0") or a name Qt knows ("ttyUSB0")
  int baudRate = 4800;
  int dataBits = 8;  // 7 or 8
  int parity = 0;    // 0 none, 1 odd, 2 even, 3 mark, 4 space
  int stopBits = 0;  // 0 = 1, 1 = 1.5, 2 = 2 stop bits
  QString gpsdHost = QStringLiteral("127.0.0.1");
  int gpsdPort = kDefaultGpsdPort;
};

// A usable fix for the home position: the three values as one set.
struct GpsHomeFix {
  double latitude = 0;
  double longitude = 0;
  std::optional<double> altitudeM;  // the home keeps its altitude when the sentence had none
};

// The station's GPS receiver: reads NMEA GGA sentences from a serial port, or gpsd's JSON
// reports, on its own thread. What the "GPS IN" window shows and every usable fix leave it as
// signals carrying values.
class TGpsIo : public QObject {
  Q_OBJECT

 public:
  static constexpr int kPassMs = 100;
  // A port that went away or a gpsd that is not there is tried again this often.
  static constexpr int kRetryMs = 2000;

  explicit TGpsIo(GpsIoConfig config, QObject* parent = nullptr);
  ~TGpsIo() override;

  // On the reader's thread. Serial: 0, or the failing step -1 .. -5 (the port is closed
  // again). gpsd: always 0; the connection is made, and remade, while running.
  int Open();
  // Starts the reader passes.
  void Execute();
  // Closes the port or the connection and stops the passes.
  void Stop();

  const GpsIoConfig& Config() const { return m_config; }

 signals:
  void TextsChanged(const windlark::GpsInTexts& texts);
  void LampChanged(windlark::Rgb colour);
  void HomeFix(const windlark::GpsHomeFix& fix);
  // A problem with the source, or "" once it is working again.
  void StatusChanged(const QString& text);

 private:
  int OpenSerial();
  void Pass();
  void ReadSerial();
  void ReadGpsd();
  void HandleFix(const GgaFix& fix);
  void SerialLost(const QString& why);
  void ConnectGpsd();
  void SetStatus(const QString& text);

  GpsIoConfig m_config;
  QSerialPort* m_port = nullptr;
  QTcpSocket* m_gpsd = nullptr;
  QTimer* m_timer = nullptr;
  NmeaLineSplitter m_splitter;
  QByteArray m_gpsdBuffer;
  GpsLampCountdown m_lamp;
  std::optional<int> m_gpsdSatellites;
  int m_sinceRetryMs = 0;
  bool m_portLost = false;
  bool m_running = false;
  QString m_status;
};

}  // namespace windlark

Q_DECLARE_METATYPE(windlark::GpsInTexts)
Q_DECLARE_METATYPE(windlark::GpsHomeFix)
Q_DECLARE_METATYPE(windlark::Rgb)
