#pragma once

#include <QHostAddress>
#include <QObject>
#include <QString>
#include <string>

class QUdpSocket;

namespace windlark {

// Sends the chase map's datagrams. UDP never waits, so this runs on the window's thread; a
// host name is looked up once per setting, not per frame.
class TChaseMapPublisher : public QObject {
  Q_OBJECT

 public:
  explicit TChaseMapPublisher(QObject* parent = nullptr);

  // Off until configured with a usable host and port.
  void Configure(bool enabled, const QString& host, int port);
  bool Enabled() const { return m_enabled && !m_address.isNull(); }
  // "" or why the datagram did not go out.
  QString Send(const std::string& datagram);

 private:
  QUdpSocket* m_socket = nullptr;
  bool m_enabled = false;
  QString m_host;
  QHostAddress m_address;
  quint16 m_port = 0;
};

}  // namespace windlark
