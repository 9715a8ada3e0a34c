#pragma once

#include <QProcess>
#include <QSerialPort>
#include <QTest>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace windlark::test {

// Two ptys joined by socat: the program opens `Device()`, the test plays the rotor controller
// on the other end, answering each CR-ended command (or staying silent).
class RotorController {
 public:
  using Responder = std::function<std::optional<std::string>(const std::string& command)>;

  explicit RotorController(std::filesystem::path dir) : m_dir(std::move(dir)) {}
  ~RotorController() { Stop(); }

  bool Start() {
    std::filesystem::create_directories(m_dir);
    std::filesystem::remove(Device());
    std::filesystem::remove(ControllerSide());
    m_socat.start(
        QStringLiteral("socat"),
        {QStringLiteral("pty,raw,echo=0,link=%1").arg(QString::fromStdString(Device())),
         QStringLiteral("pty,raw,echo=0,link=%1").arg(QString::fromStdString(ControllerSide()))});
    if (!m_socat.waitForStarted(5000)) return false;
    if (!QTest::qWaitFor(
            [&] {
              return std::filesystem::exists(Device()) && std::filesystem::exists(ControllerSide());
            },
            5000)) {
      return false;
    }
    m_port.setPortName(QString::fromStdString(ControllerSide()));
    if (!m_port.open(QIODevice::ReadWrite)) return false;
    QObject::connect(&m_port, &QSerialPort::readyRead, [this] { Read(); });
    return true;
  }
  // The line goes away as when a USB adapter is pulled.
  void Stop() {
    if (m_port.isOpen()) m_port.close();
    if (m_socat.state() == QProcess::NotRunning) return;
    m_socat.terminate();
    if (!m_socat.waitForFinished(5000)) m_socat.kill();
    m_socat.waitForFinished(2000);
  }
  std::string Device() const { return (m_dir / "rotor").string(); }

  // Everything the program sent, byte for byte.
  std::string received;
  // Commands split at CR (a CR LF counts as one end).
  std::vector<std::string> commands;
  Responder respond;

 private:
  std::string ControllerSide() const { return (m_dir / "controller").string(); }
  void Read() {
    const QByteArray bytes = m_port.readAll();
    received += bytes.toStdString();
    m_pending += bytes.toStdString();
    std::size_t end;
    while ((end = m_pending.find('\r')) != std::string::npos) {
      std::string command = m_pending.substr(0, end);
      m_pending.erase(0, end + 1);
      if (!m_pending.empty() && m_pending.front() == '\n') m_pending.erase(0, 1);
      commands.push_back(command);
      if (respond) {
        if (auto reply = respond(command)) {
          m_port.write(reply->data(), static_cast<qint64>(reply->size()));
        }
      }
    }
  }

  std::filesystem::path m_dir;
  QProcess m_socat;
  QSerialPort m_port;
  std::string m_pending;
};

}  // namespace windlark::test
