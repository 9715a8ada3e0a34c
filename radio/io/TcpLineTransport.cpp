#include "radio/io/TcpLineTransport.h"

#include <QDeadlineTimer>
#include <QTcpSocket>

namespace windlark {

namespace {
// A service that sends this much without a line end is not speaking our protocol.
constexpr qint64 kMaxLineBytes = 64 * 1024;
}  // namespace

TcpLineTransport::TcpLineTransport(QString host, int port, int connectTimeoutMs)
    : m_host(std::move(host)), m_port(port), m_connectTimeoutMs(connectTimeoutMs) {}

TcpLineTransport::~TcpLineTransport() {
  Close();
}

bool TcpLineTransport::IsOpen() const {
  return m_socket && m_socket->state() == QAbstractSocket::ConnectedState;
}

bool TcpLineTransport::Open() {
  Close();
  m_socket = std::make_unique<QTcpSocket>();
  m_socket->connectToHost(m_host, static_cast<quint16>(m_port));
  if (m_socket->waitForConnected(m_connectTimeoutMs)) return true;
  Close();
  return false;
}

void TcpLineTransport::Close() {
  if (!m_socket) return;
  m_socket->abort();
  m_socket.reset();
}

void TcpLineTransport::DiscardInput() {
  if (!IsOpen()) return;
  while (m_socket->waitForReadyRead(0)) {
  }
  m_socket->readAll();
}

bool TcpLineTransport::Send(std::string_view bytes) {
  if (!IsOpen()) return false;
  const auto size = static_cast<qint64>(bytes.size());
  if (m_socket->write(bytes.data(), size) != size) return false;
  return m_socket->waitForBytesWritten(1000) || m_socket->bytesToWrite() == 0;
}

LineRead TcpLineTransport::ReadLine(int timeoutMs) {
  if (!m_socket) return {LineRead::Kind::Error, {}};
  QDeadlineTimer deadline(timeoutMs);
  while (!m_socket->canReadLine()) {
    if (m_socket->bytesAvailable() > kMaxLineBytes) return {LineRead::Kind::Error, {}};
    if (m_socket->state() != QAbstractSocket::ConnectedState) return {LineRead::Kind::Error, {}};
    const qint64 left = deadline.remainingTime();
    if (left <= 0) return {LineRead::Kind::Timeout, {}};
    // A false return is a time-out or a closed line: the checks above tell which.
    m_socket->waitForReadyRead(static_cast<int>(left));
  }
  QByteArray line = m_socket->readLine();
  if (line.endsWith('\n')) line.chop(1);
  if (line.endsWith('\r')) line.chop(1);
  return {LineRead::Kind::Line, line.toStdString()};
}

}  // namespace windlark
