#include "gps/io/ChaseMapPublisher.h"

#include <QHostInfo>
#include <QUdpSocket>

namespace windlark {

TChaseMapPublisher::TChaseMapPublisher(QObject* parent)
    : QObject(parent), m_socket(new QUdpSocket(this)) {}

void TChaseMapPublisher::Configure(bool enabled, const QString& host, int port) {
  m_enabled = enabled && port > 0 && port <= 65535;
  m_port = static_cast<quint16>(port);
  if (!m_enabled) return;
  if (host == m_host && !m_address.isNull()) return;
  m_host = host;
  m_address = QHostAddress(host);
  if (m_address.isNull()) {
    // A name: looked up here once, so that a frame never waits for a name server.
    const QHostInfo info = QHostInfo::fromName(host);
    if (!info.addresses().isEmpty()) m_address = info.addresses().front();
  }
}

QString TChaseMapPublisher::Send(const std::string& datagram) {
  if (!Enabled()) return {};
  const QByteArray bytes(datagram.data(), static_cast<qsizetype>(datagram.size()));
  if (m_socket->writeDatagram(bytes, m_address, m_port) != bytes.size()) {
    return m_socket->errorString();
  }
  return {};
}

}  // namespace windlark
