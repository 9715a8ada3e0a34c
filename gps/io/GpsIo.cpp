#include "gps/io/GpsIo.h"

#include <QSerialPort>
#include <QTcpSocket>
#include <QTimer>

#include "gps/Gpsd.h"

namespace windlark {

namespace {

// gpsd's reports are longer than NMEA sentences (a SKY report lists every satellite).
constexpr qsizetype kMaxGpsdPending = 65536;

QSerialPort::Parity ParityOf(int parity) {
  switch (parity) {
    case 1:
      return QSerialPort::OddParity;
    case 2:
      return QSerialPort::EvenParity;
    case 3:
      return QSerialPort::MarkParity;
    case 4:
      return QSerialPort::SpaceParity;
    default:
      return QSerialPort::NoParity;
  }
}

QSerialPort::StopBits StopBitsOf(int stopBits) {
  switch (stopBits) {
    case 1:
      return QSerialPort::OneAndHalfStop;
    case 2:
      return QSerialPort::TwoStop;
    default:
      return QSerialPort::OneStop;
  }
}

}  // namespace

TGpsIo::TGpsIo(GpsIoConfig config, QObject* parent) : QObject(parent), m_config(std::move(config)) {
  qRegisterMetaType<windlark::GpsInTexts>();
  qRegisterMetaType<windlark::GpsHomeFix>();
  qRegisterMetaType<windlark::Rgb>();
}

TGpsIo::~TGpsIo() = default;

int TGpsIo::Open() {
  if (m_config.source == GpsSource::Gpsd) return 0;
  return OpenSerial();
}

int TGpsIo::OpenSerial() {
  if (m_port == nullptr) {
    m_port = new QSerialPort(this);
    connect(m_port, &QSerialPort::errorOccurred, this, [this](QSerialPort::SerialPortError error) {
      // A port that vanished keeps failing every read: close it and say so, never spin on it.
      if (error != QSerialPort::NoError && error != QSerialPort::TimeoutError && m_port->isOpen()) {
        SerialLost(m_port->errorString());
      }
    });
  }
  m_port->setPortName(m_config.portName);
  if (!m_port->open(QIODevice::ReadWrite)) return -1;
  // Linux serial lines know 1 and 2 stop bits only; Qt would quietly use 1.
  if (m_config.stopBits == 1) {
    m_port->close();
    return -4;
  }
  const bool set =
      m_port->setBaudRate(m_config.baudRate) &&
      m_port->setDataBits(m_config.dataBits == 7 ? QSerialPort::Data7 : QSerialPort::Data8) &&
      m_port->setParity(ParityOf(m_config.parity)) &&
      m_port->setStopBits(StopBitsOf(m_config.stopBits)) &&
      m_port->setFlowControl(QSerialPort::NoFlowControl);
  if (!set) {
    m_port->close();
    return -4;
  }
  return 0;
}

void TGpsIo::Execute() {
  m_running = true;
  m_timer = new QTimer(this);
  m_timer->setInterval(kPassMs);
  connect(m_timer, &QTimer::timeout, this, &TGpsIo::Pass);
  m_timer->start();
  if (m_config.source == GpsSource::Gpsd) ConnectGpsd();
}

void TGpsIo::Stop() {
  m_running = false;
  if (m_timer != nullptr) m_timer->stop();
  if (m_port != nullptr && m_port->isOpen()) m_port->close();
  if (m_gpsd != nullptr) {
    m_gpsd->disconnect(this);
    m_gpsd->abort();
  }
}

void TGpsIo::Pass() {
  if (!m_running) return;
  if (m_config.source == GpsSource::Gpsd) {
    ReadGpsd();
    if (m_gpsd->state() == QAbstractSocket::UnconnectedState) {
      m_sinceRetryMs += kPassMs;
      if (m_sinceRetryMs >= kRetryMs) ConnectGpsd();
    }
  } else if (m_portLost) {
    m_sinceRetryMs += kPassMs;
    if (m_sinceRetryMs >= kRetryMs) {
      m_sinceRetryMs = 0;
      if (OpenSerial() == 0) {
        m_portLost = false;
        m_splitter = NmeaLineSplitter();
        SetStatus({});
      }
    }
  } else {
    ReadSerial();
  }
  if (const auto colour = m_lamp.Pass()) emit LampChanged(*colour);
}

void TGpsIo::ReadSerial() {
  if (m_port == nullptr || !m_port->isOpen()) return;
  const QByteArray bytes = m_port->readAll();
  if (bytes.isEmpty()) return;
  for (const std::string& line : m_splitter.Push(
           std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())))) {
    if (const auto fix = ParseGga(line)) HandleFix(*fix);
  }
}

void TGpsIo::ReadGpsd() {
  if (m_gpsd == nullptr) return;
  m_gpsdBuffer += m_gpsd->readAll();
  qsizetype start = 0;
  for (;;) {
    const qsizetype end = m_gpsdBuffer.indexOf('\n', start);
    if (end < 0) break;
    const QByteArray line = m_gpsdBuffer.mid(start, end - start).trimmed();
    start = end + 1;
    const GpsdReport report =
        ParseGpsdLine(std::string_view(line.constData(), static_cast<std::size_t>(line.size())));
    if (report.kind == GpsdReport::Kind::Sky) {
      m_gpsdSatellites = report.satellitesUsed;
    } else if (report.kind == GpsdReport::Kind::Position) {
      GgaFix fix = report.fix;
      fix.satellites = m_gpsdSatellites;
      HandleFix(fix);
    }
  }
  m_gpsdBuffer.remove(0, start);
  if (m_gpsdBuffer.size() > kMaxGpsdPending) m_gpsdBuffer.clear();
}

void TGpsIo::HandleFix(const GgaFix& fix) {
  emit TextsChanged(GpsInTextsOf(fix));
  if (fix.Usable()) emit HomeFix(GpsHomeFix{*fix.latitude, *fix.longitude, fix.altitudeM});
  emit LampChanged(m_lamp.Sentence(fix.fixQuality));
}

void TGpsIo::SerialLost(const QString& why) {
  m_port->close();
  m_portLost = true;
  m_sinceRetryMs = 0;
  SetStatus(QStringLiteral("Port %1 lost: %2").arg(m_config.portName, why));
}

void TGpsIo::ConnectGpsd() {
  m_sinceRetryMs = 0;
  if (m_gpsd == nullptr) {
    SetStatus(
        QStringLiteral("Connecting to gpsd %1:%2").arg(m_config.gpsdHost).arg(m_config.gpsdPort));
    m_gpsd = new QTcpSocket(this);
    connect(m_gpsd, &QTcpSocket::connected, this, [this] {
      m_gpsdBuffer.clear();
      m_gpsd->write(kGpsdWatch.data(), static_cast<qint64>(kGpsdWatch.size()));
      SetStatus({});
    });
    connect(m_gpsd, &QTcpSocket::errorOccurred, this, [this](QAbstractSocket::SocketError) {
      SetStatus(QStringLiteral("gpsd %1:%2: %3")
                    .arg(m_config.gpsdHost)
                    .arg(m_config.gpsdPort)
                    .arg(m_gpsd->errorString()));
    });
  }
  m_gpsd->abort();
  m_gpsd->connectToHost(m_config.gpsdHost, static_cast<quint16>(m_config.gpsdPort));
}

void TGpsIo::SetStatus(const QString& text) {
  if (text == m_status) return;
  m_status = text;
  emit StatusChanged(text);
}

}  // namespace windlark
