#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QProcess>
#include <QStandardPaths>
#include <QStringList>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace windlark::test {

// A Net Remote plug-in on 127.0.0.1, scripted per test: a greeting on every connection and an
// answer (or silence) for every command line. It keeps the lines it was sent.
class NetRemoteService {
 public:
  using Responder = std::function<std::optional<std::string>(const std::string& line)>;

  NetRemoteService() {
    QObject::connect(&m_server, &QTcpServer::newConnection, [this] { Accept(); });
  }
  bool Listen() { return m_server.listen(QHostAddress::LocalHost, 0); }
  int Port() const { return m_server.serverPort(); }
  // Ends every connection and stops listening.
  void Drop() {
    m_server.close();
    for (QTcpSocket* client : m_clients) client->abort();
  }
  // Every command line received, without CR LF; `raw` with it.
  std::vector<std::string> lines;
  std::vector<std::string> raw;
  std::optional<std::string> greeting = R"({"Name":"Net Remote","Version":"1.0"})";
  Responder respond = [](const std::string& line) -> std::optional<std::string> {
    if (line.find("SourceIsTunable") != std::string::npos) {
      return R"({"Result":"OK","Method":"SourceIsTunable","Value":true})";
    }
    return R"({"Result":"OK"})";
  };
  int connections = 0;

 private:
  void Accept() {
    while (QTcpSocket* client = m_server.nextPendingConnection()) {
      ++connections;
      m_clients.push_back(client);
      if (greeting) client->write(QByteArray::fromStdString(*greeting + "\r\n"));
      QObject::connect(client, &QTcpSocket::readyRead, [this, client] {
        while (client->canReadLine()) {
          const QByteArray line = client->readLine();
          raw.push_back(line.toStdString());
          std::string text = line.trimmed().toStdString();
          lines.push_back(text);
          if (auto reply = respond(text)) client->write(QByteArray::fromStdString(*reply + "\r\n"));
        }
      });
    }
  }

  QTcpServer m_server;
  std::vector<QTcpSocket*> m_clients;
};

// A TCP port nobody listens on at the moment.
inline int UnusedPort() {
  QTcpServer probe;
  if (!probe.listen(QHostAddress::LocalHost, 0)) return 0;
  return probe.serverPort();
}

// One of hamlib's daemons (rigctld, rotctld) with its dummy model on 127.0.0.1.
class HamlibDaemon {
 public:
  explicit HamlibDaemon(QString program) : m_program(std::move(program)) {}
  ~HamlibDaemon() { Stop(); }
  bool Start(int port) {
    m_port = port;
    m_process.setProcessChannelMode(QProcess::MergedChannels);
    m_process.start(m_program,
                    {QStringLiteral("-m"), QStringLiteral("1"), QStringLiteral("-T"),
                     QStringLiteral("127.0.0.1"), QStringLiteral("-t"), QString::number(port)});
    if (!m_process.waitForStarted(5000)) return false;
    return QTest::qWaitFor(
        [&] {
          QTcpSocket probe;
          probe.connectToHost(QHostAddress::LocalHost, static_cast<quint16>(port));
          return probe.waitForConnected(200);
        },
        5000);
  }
  void Stop() {
    if (m_process.state() == QProcess::NotRunning) return;
    m_process.terminate();
    if (!m_process.waitForFinished(5000)) m_process.kill();
    m_process.waitForFinished(2000);
  }
  // Asks the daemon itself, on a connection of its own: the reply lines of one command.
  std::vector<std::string> Ask(const std::string& command, int lines = 1) const {
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, static_cast<quint16>(m_port));
    std::vector<std::string> out;
    if (!socket.waitForConnected(2000)) return out;
    socket.write(QByteArray::fromStdString(command + "\n"));
    socket.waitForBytesWritten(2000);
    while (static_cast<int>(out.size()) < lines) {
      if (!socket.canReadLine() && !socket.waitForReadyRead(2000)) break;
      while (socket.canReadLine() && static_cast<int>(out.size()) < lines) {
        out.push_back(socket.readLine().trimmed().toStdString());
      }
    }
    return out;
  }
  bool Available() const { return !QStandardPaths::findExecutable(m_program).isEmpty(); }

 private:
  QString m_program;
  QProcess m_process;
  int m_port = 0;
};

}  // namespace windlark::test
