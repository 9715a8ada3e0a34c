#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QObject>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <functional>
#include <string>
#include <vector>

namespace windlark::test {

// A line-based APRS-IS server on 127.0.0.1, scripted by each test: it greets every client,
// keeps every byte it is sent, and hands each line to the test's script (by default a verified
// login). It lives on the test's thread; the test turns its event loop while waiting.
class AprsTestServer : public QObject {
 public:
  using Script = std::function<void(AprsTestServer&, const std::string& line)>;

  AprsTestServer() {
    QObject::connect(&m_server, &QTcpServer::newConnection, this, [this] { Accept(); });
    m_server.listen(QHostAddress(QStringLiteral("127.0.0.1")), 0);
  }

  // "127.0.0.1:port", as the client's server host.
  std::string Host() const { return "127.0.0.1:" + std::to_string(m_server.serverPort()); }
  bool Listening() const { return m_server.isListening(); }

  void Send(const std::string& text) {
    if (m_client) {
      m_client->write(text.data(), static_cast<qint64>(text.size()));
      m_client->flush();
    }
  }
  void SendLine(const std::string& line) { Send(line + "\r\n"); }
  // Ends the current connection from the server's side.
  void CloseClient() {
    if (m_client) m_client->disconnectFromHost();
  }
  bool ClientConnected() const {
    return m_client && m_client->state() == QAbstractSocket::ConnectedState;
  }

  // What every new client is sent first; empty for a silent server.
  std::string greeting = "# aprsc 2.1.14-test\r\n";
  Script script = &VerifiedLogin;
  int connections = 0;
  QByteArray received;             // every byte of every connection
  std::vector<std::string> lines;  // every line, CR LF removed
  QByteArray thisConnection;       // the bytes of the current connection

  static void VerifiedLogin(AprsTestServer& server, const std::string& line) {
    if (line.rfind(" user ", 0) == 0) {
      server.SendLine("# logresp " + line.substr(6, line.find(' ', 6) - 6) +
                      " verified, server T2TEST");
    }
  }
  // Lines sent after a prefix, in order.
  std::vector<std::string> LinesStartingWith(const std::string& prefix) const {
    std::vector<std::string> out;
    for (const std::string& l : lines) {
      if (l.rfind(prefix, 0) == 0) out.push_back(l);
    }
    return out;
  }

 private:
  void Accept() {
    while (QTcpSocket* socket = m_server.nextPendingConnection()) {
      if (m_client) m_client->deleteLater();
      m_client = socket;
      ++connections;
      thisConnection.clear();
      m_pending.clear();
      QObject::connect(socket, &QTcpSocket::readyRead, this, [this, socket] { Read(socket); });
      if (!greeting.empty()) Send(greeting);
    }
  }
  void Read(QTcpSocket* socket) {
    const QByteArray data = socket->readAll();
    received += data;
    if (socket != m_client) return;
    thisConnection += data;
    m_pending += data.toStdString();
    for (auto end = m_pending.find("\r\n"); end != std::string::npos;
         end = m_pending.find("\r\n")) {
      const std::string line = m_pending.substr(0, end);
      m_pending.erase(0, end + 2);
      lines.push_back(line);
      if (script) script(*this, line);
    }
  }

  QTcpServer m_server;
  QPointer<QTcpSocket> m_client;
  std::string m_pending;
};

}  // namespace windlark::test
