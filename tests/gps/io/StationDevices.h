#pragma once

#include <QProcess>
#include <QStringList>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <filesystem>
#include <string>

namespace windlark::test {

// A serial line made by socat: the program opens the pty `Device()`, the test plays the
// receiver through socat's standard input. What the program (or gpsd's baud-rate probing)
// writes to the line comes out of socat's standard output and is dropped, so a writer never
// blocks on a full line.
class PtyPair {
 public:
  explicit PtyPair(std::filesystem::path dir) : m_dir(std::move(dir)) {}
  ~PtyPair() { Stop(); }

  bool Start() {
    std::filesystem::remove(Device());
    m_socat.start(QStringLiteral("socat"),
                  {QStringLiteral("pty,raw,echo=0,link=%1").arg(QString::fromStdString(Device())),
                   QStringLiteral("STDIO")});
    if (!m_socat.waitForStarted(5000)) return false;
    QObject::connect(&m_socat, &QProcess::readyReadStandardOutput,
                     [this] { m_socat.readAllStandardOutput(); });
    return QTest::qWaitFor([&] { return std::filesystem::exists(Device()); }, 5000);
  }
  void Stop() {
    if (m_socat.state() == QProcess::NotRunning) return;
    m_socat.terminate();
    if (!m_socat.waitForFinished(5000)) m_socat.kill();
    m_socat.waitForFinished(2000);
  }
  // The receiver sends `text`; false when the line is not there.
  bool Send(const std::string& text) {
    if (m_socat.state() != QProcess::Running) return false;
    m_socat.readAllStandardOutput();
    const auto size = static_cast<qint64>(text.size());
    return m_socat.write(text.data(), size) == size && m_socat.waitForBytesWritten(5000);
  }
  std::string Device() const { return (m_dir / "gps").string(); }

 private:
  std::filesystem::path m_dir;
  QProcess m_socat;
};

// A TCP port nobody listens on at the moment.
inline int FreePort() {
  QTcpServer probe;
  if (!probe.listen(QHostAddress::LocalHost, 0)) return 0;
  return probe.serverPort();
}

// Debian's gpsd reading one device, in the foreground, without waiting for a client.
class GpsdDaemon {
 public:
  ~GpsdDaemon() { Stop(); }
  bool Start(const std::string& device, int port) {
    m_gpsd.setProcessChannelMode(QProcess::MergedChannels);
    m_gpsd.start(QStringLiteral("gpsd"),
                 {QStringLiteral("-N"), QStringLiteral("-n"), QStringLiteral("-S"),
                  QString::number(port), QString::fromStdString(device)});
    if (!m_gpsd.waitForStarted(5000)) return false;
    // Listening once a client can connect.
    return QTest::qWaitFor(
        [&] {
          QTcpSocket probe;
          probe.connectToHost(QHostAddress::LocalHost, static_cast<quint16>(port));
          return probe.waitForConnected(200);
        },
        5000);
  }
  void Stop() {
    if (m_gpsd.state() == QProcess::NotRunning) return;
    m_gpsd.terminate();
    if (!m_gpsd.waitForFinished(5000)) m_gpsd.kill();
    m_gpsd.waitForFinished(2000);
  }
  QString Output() { return QString::fromUtf8(m_gpsd.readAll()); }

 private:
  QProcess m_gpsd;
};

}  // namespace windlark::test
