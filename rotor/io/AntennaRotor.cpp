#include "rotor/io/AntennaRotor.h"

#include <QDeadlineTimer>
#include <QSerialPort>
#include <QTcpSocket>
#include <QTimer>
#include <optional>

#include "rotor/RotorStore.h"
#include "rotor/RotorTexts.h"

namespace windlark {

namespace {

QString Q(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QString Degrees(std::string_view text) {
  return Q(PositionLabelText(text));
}

constexpr int kReplyTimeoutMs = 1000;
constexpr qint64 kMaxReplyBytes = 4096;

}  // namespace

TAntennaRotor::TAntennaRotor(RotorLinkConfig config, QObject* parent)
    : QObject(parent), m_config(std::move(config)) {}

TAntennaRotor::~TAntennaRotor() = default;

void TAntennaRotor::Terminate() {
  m_terminate = true;
  QMetaObject::invokeMethod(this, &TAntennaRotor::Finish, Qt::QueuedConnection);
}

void TAntennaRotor::Execute() {
  if (m_done) return;
  m_timer = new QTimer(this);
  m_timer->setSingleShot(true);
  connect(m_timer, &QTimer::timeout, this, &TAntennaRotor::Tick);
  const auto protocol = static_cast<RotorProtocol>(m_config.protocol);
  bool opened = true;
  if (RotorProtocolIsSerial(m_config.protocol)) {
    if (protocol != RotorProtocol::Gs232) emit RotorStatus(Q(kRotorNaText));
    opened = OpenSerial();
  } else if (protocol == RotorProtocol::Rotctld) {
    opened = OpenRotctld();
  } else {
    emit RotorStatus(Q(kRotorNaText));
    m_store = std::make_unique<RotorStore>(m_config.storeDir.toStdString());
  }
  if (!opened) {
    Finish();
    return;
  }
  if (protocol == RotorProtocol::Gs232) {
    ReadUpTo(50);  // whatever the controller had sent
    m_requests.Take();
  }
  m_queryCounter = 1000;
  if (m_terminate) {
    Finish();
    return;
  }
  m_timer->start(kTickMs);
}

bool TAntennaRotor::OpenSerial() {
  const QString name = m_config.portName;
  m_port = std::make_unique<QSerialPort>();
  m_port->setPortName(name);
  if (!m_port->open(QIODevice::ReadWrite)) {
    m_port.reset();
    emit LinkStatus(Q(SerialCannotOpenText(name.toStdString())));
    emit Opened(false);
    return false;
  }
  m_port->setReadBufferSize(256);
  if (!m_port->setBaudRate(m_config.baudRate) || !m_port->setDataBits(QSerialPort::Data8) ||
      !m_port->setParity(QSerialPort::NoParity) || !m_port->setStopBits(QSerialPort::OneStop) ||
      !m_port->setFlowControl(QSerialPort::NoFlowControl)) {
    m_port->close();
    m_port.reset();
    emit LinkStatus(QStringLiteral("Serial: Unable to set serial parameters"));
    emit Opened(false);
    return false;
  }
  m_port->clear();
  emit LinkStatus(Q(SerialOpenedText(name.toStdString(), m_config.baudRate)));
  emit Opened(true);
  return true;
}

bool TAntennaRotor::OpenRotctld() {
  const std::string host = m_config.rotctldHost.toStdString();
  const int port = m_config.rotctldPort;
  emit LinkStatus(Q(RotctldConnectingText(host, port)));
  m_socket = std::make_unique<QTcpSocket>();
  m_socket->connectToHost(m_config.rotctldHost, static_cast<quint16>(port));
  if (!m_socket->waitForConnected(3000)) {
    m_socket.reset();
    emit LinkStatus(Q(RotctldCannotConnectText(host, port)));
    emit Opened(false);
    return false;
  }
  emit LinkStatus(Q(RotctldConnectedText(host, port)));
  emit Opened(true);
  return true;
}

void TAntennaRotor::Tick() {
  if (m_done) return;
  const RotorRequests::Request request = m_requests.Take();
  switch (static_cast<RotorProtocol>(m_config.protocol)) {
    case RotorProtocol::Gs232:
      TickGs232(request);
      break;
    case RotorProtocol::Registry:
      TickStore(request);
      break;
    case RotorProtocol::EasyComm:
    case RotorProtocol::Raw:
      TickOneWay(request);
      break;
    case RotorProtocol::Rotctld:
      TickRotctld(request);
      break;
  }
  if (m_done) return;
  if (LineLost()) {
    LoseLine();
    return;
  }
  if (m_terminate) {
    Finish();
    return;
  }
  m_timer->start(kTickMs);
}

bool TAntennaRotor::QueryDue() {
  ++m_queryCounter;
  if (m_queryCounter <= QueryIntervalTicks(m_config.queryPeriodS)) return false;
  m_queryCounter = 0;
  return true;
}

void TAntennaRotor::TickGs232(const RotorRequests::Request& request) {
  if (request.kind == RotorRequests::Kind::Move) {
    SendSerial(QByteArray::fromStdString(Gs232MoveCommand(request.azimuth, request.elevation)) +
               '\r');
    if (ReadUpTo(2).isEmpty()) {
      emit RotorStatus(Q(kMoveFailText));
      ReadUpTo(50);
    } else {
      emit RotorStatus(Q(kMoveOkText));
    }
  } else if (request.kind == RotorRequests::Kind::Stop) {
    SendSerial(QByteArray(kGs232Stop.data(), static_cast<qsizetype>(kGs232Stop.size())) + '\r');
    if (ReadUpTo(2).isEmpty()) {
      emit RotorStatus(Q(kStopFailText));
      ReadUpTo(50);
    } else {
      emit RotorStatus(Q(kStopOkText));
    }
  }
  if (LineLost() || !QueryDue()) return;
  SendSerial(QByteArray(kGs232Query.data(), static_cast<qsizetype>(kGs232Query.size())) + '\r');
  const QByteArray reply = ReadUpTo(15);
  if (reply.isEmpty()) {
    emit RotorStatus(Q(kQueryNoDataText));
    return;
  }
  const std::optional<RotorPosition> position = ParseGs232Position(reply.toStdString());
  if (!position) {
    emit RotorStatus(Q(kQueryFormatText));
    ReadUpTo(50);
    return;
  }
  emit Position(Degrees(position->azimuth), Degrees(position->elevation));
  emit RotorStatus(Q(kQueryOkText));
}

void TAntennaRotor::TickOneWay(const RotorRequests::Request& request) {
  if (request.kind != RotorRequests::Kind::Move) return;
  const bool easyComm = m_config.protocol == static_cast<int>(RotorProtocol::EasyComm);
  const std::string line = easyComm ? EasyCommLine(request.azimuth, request.elevation)
                                    : RawLine(request.azimuth, request.elevation);
  SendSerial(QByteArray::fromStdString(line));
  emit Position(Degrees(FormatDegrees(request.azimuth)), Degrees(FormatDegrees(request.elevation)));
}

void TAntennaRotor::TickStore(const RotorRequests::Request& request) {
  if (request.kind != RotorRequests::Kind::Move) return;
  // A store that cannot be written is said so: the reading program would follow stale angles.
  const std::string error = m_store->Write(request.azimuth, request.elevation);
  if (!error.empty()) {
    emit RotorStatus(Q(kStoreFailText));
    return;
  }
  emit Position(Degrees(FormatDegrees(request.azimuth)), Degrees(FormatDegrees(request.elevation)));
}

void TAntennaRotor::TickRotctld(const RotorRequests::Request& request) {
  QByteArray reply;
  if (request.kind == RotorRequests::Kind::Move) {
    const bool ok = RotctldAsk(
        QByteArray::fromStdString(RotctldMoveCommand(request.azimuth, request.elevation)), reply);
    emit RotorStatus(
        Q(ok && RotctldReplyOk(reply.toStdString()) ? kRotctldMoveOkText : kRotctldMoveFailText));
  } else if (request.kind == RotorRequests::Kind::Stop) {
    const bool ok = RotctldAsk(QByteArrayLiteral("S"), reply);
    emit RotorStatus(Q(ok && RotctldReplyOk(reply.toStdString()) ? kStopOkText : kStopFailText));
  }
  if (LineLost() || !QueryDue()) return;
  QByteArray elevationLine;
  std::optional<int> azimuth;
  std::optional<int> elevation;
  if (RotctldAsk(QByteArrayLiteral("p"), reply)) {
    azimuth = ParseRotctldAngle(reply.toStdString());
    // The elevation follows on a line of its own.
    if (azimuth && RotctldAsk({}, elevationLine)) {
      elevation = ParseRotctldAngle(elevationLine.toStdString());
    }
  }
  if (!azimuth || !elevation) {
    emit RotorStatus(Q(kRotctldPollFailText));
    return;
  }
  emit Position(Degrees(FormatDegrees(*azimuth)), Degrees(FormatDegrees(*elevation)));
  emit RotorStatus(Q(kRotctldPollOkText));
}

// Sends `command` (none: only reads) with LF and reads one reply line.
bool TAntennaRotor::RotctldAsk(const QByteArray& command, QByteArray& reply) {
  reply.clear();
  if (!m_socket || m_socket->state() != QAbstractSocket::ConnectedState) return false;
  if (!command.isEmpty()) {
    // A late line of an earlier exchange would be taken for this reply.
    while (m_socket->waitForReadyRead(0)) {
    }
    m_socket->readAll();
    m_socket->write(command + '\n');
    m_socket->waitForBytesWritten(kReplyTimeoutMs);
  }
  QDeadlineTimer deadline(kReplyTimeoutMs);
  while (!m_socket->canReadLine()) {
    if (m_socket->state() != QAbstractSocket::ConnectedState) return false;
    if (m_socket->bytesAvailable() > kMaxReplyBytes) return false;
    const qint64 left = deadline.remainingTime();
    if (left <= 0) return false;
    m_socket->waitForReadyRead(static_cast<int>(left));
  }
  reply = m_socket->readLine().trimmed();
  return true;
}

void TAntennaRotor::SendSerial(const QByteArray& bytes) {
  if (!m_port || !m_port->isOpen()) return;
  m_port->write(bytes);
  m_port->waitForBytesWritten(kReplyTimeoutMs);
}

QByteArray TAntennaRotor::ReadUpTo(int count) {
  QByteArray got;
  if (!m_port || !m_port->isOpen()) return got;
  QDeadlineTimer deadline(kReplyTimeoutMs + 2 * count);
  while (got.size() < count) {
    if (m_port->bytesAvailable() > 0) {
      got += m_port->read(count - got.size());
      continue;
    }
    if (LineLost()) break;
    const qint64 left = deadline.remainingTime();
    if (left <= 0) break;
    m_port->waitForReadyRead(static_cast<int>(left));
  }
  return got;
}

bool TAntennaRotor::LineLost() const {
  if (m_port) {
    const QSerialPort::SerialPortError error = m_port->error();
    return !m_port->isOpen() || error == QSerialPort::ResourceError ||
           error == QSerialPort::ReadError || error == QSerialPort::WriteError ||
           error == QSerialPort::PermissionError;
  }
  if (m_socket) return m_socket->state() != QAbstractSocket::ConnectedState;
  return false;
}

void TAntennaRotor::LoseLine() {
  // Closed at once: a vanished device would otherwise flood the loop with read errors.
  if (m_port) {
    const std::string name = m_config.portName.toStdString();
    m_port->close();
    m_port.reset();
    emit LinkStatus(Q(SerialLostText(name)));
  } else if (m_socket) {
    m_socket->abort();
    m_socket.reset();
    emit LinkStatus(Q(RotctldLostText(m_config.rotctldHost.toStdString(), m_config.rotctldPort)));
  }
  emit Lost();
  Finish();
}

void TAntennaRotor::Finish() {
  // Also reached by a Terminate before Execute ran: the thread still has to end.
  if (m_done) return;
  m_done = true;
  if (m_timer != nullptr) m_timer->stop();
  if (m_port) m_port->close();
  m_port.reset();
  if (m_socket) m_socket->disconnectFromHost();
  m_socket.reset();
  emit Finished();
}

}  // namespace windlark
