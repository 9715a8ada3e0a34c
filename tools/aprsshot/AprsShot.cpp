// Pictures of the APRS-IS parts of the main window against a local server on 127.0.0.1: the
// "APRS" group while connected, the sondes heard on the map, the sonde selection dialog and the
// tracking panel, and the whole screen at each step. Run under a display (xvfb-run); writes PNG
// files into the folder given as its argument.
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QHostAddress>
#include <QLabel>
#include <QLocale>
#include <QPlainTextEdit>
#include <QPointer>
#include <QScreen>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <cstdio>
#include <functional>
#include <string>

#include "app/ui/MainForm.h"
#include "aprs/io/Aprs.h"
#include "aprs/ui/AprsPanel.h"
#include "aprs/ui/Form10.h"
#include "base/Format.h"
#include "support/TileServer.h"

namespace {

using windlark::TmainForm;

// Greets, verifies every login and otherwise keeps quiet until told to send.
class LocalServer : public QObject {
 public:
  LocalServer() {
    connect(&m_server, &QTcpServer::newConnection, this, [this] {
      m_client = m_server.nextPendingConnection();
      Send("# aprsc 2.1.14-local\r\n");
      connect(m_client, &QTcpSocket::readyRead, this, [this] {
        const QByteArray data = m_client->readAll();
        if (data.startsWith(" user ")) Send("# logresp ZZ9ZZZ-11 verified, server T2LOCAL\r\n");
      });
    });
    m_server.listen(QHostAddress(QStringLiteral("127.0.0.1")), 0);
  }
  std::string Host() const { return "127.0.0.1:" + std::to_string(m_server.serverPort()); }
  void Send(const std::string& text) {
    if (m_client) m_client->write(text.data(), static_cast<qint64>(text.size()));
  }

 private:
  QTcpServer m_server;
  QPointer<QTcpSocket> m_client;
};

bool WaitFor(const std::function<bool()>& done, int ms = 8000) {
  QElapsedTimer clock;
  clock.start();
  while (!done()) {
    if (clock.elapsed() > ms) return false;
    QApplication::processEvents(QEventLoop::AllEvents, 20);
  }
  return true;
}

void Pause(int ms) {
  WaitFor([] { return false; }, ms);
}

std::string Object(const std::string& name, const std::string& time, const std::string& at,
                   const std::string& rest) {
  return "DL1XYZ-5>APRS,TCPIP*,qAC,T2DE:;" + name + std::string(9 - name.size(), ' ') + "*" + time +
         at + "O" + rest + "\r\n";
}

std::string UtcTime(int minusSeconds) {
  const int t = (windlark::SystemUtcNow().secondsOfDay - minusSeconds + 86400) % 86400;
  using windlark::FormatInt;
  return FormatInt(t / 3600, 2) + FormatInt(t / 60 % 60, 2) + FormatInt(t % 60, 2) + "h";
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QLocale::setDefault(QLocale::c());
  const QDir out(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("."));
  const auto save = [&](QWidget* widget, const char* name) {
    const QString file = out.filePath(QString::fromLatin1(name));
    const bool ok = widget->grab().save(file);
    const bool screen = QGuiApplication::primaryScreen()->grabWindow(0).save(
        out.filePath(QStringLiteral("screen-") + QString::fromLatin1(name)));
    std::fprintf(stderr, "%s %s\n", ok && screen ? "wrote" : "could not write",
                 file.toLocal8Bit().constData());
  };

  LocalServer server;
  // Tiles from a local server, so that the sondes are seen over a map.
  windlark::TileServer tiles;
  qputenv("WINDLARK_OSM_URL", tiles.BaseUrl().toUtf8());
  qputenv("WINDLARK_OPENTOPOMAP_URL", tiles.BaseUrl().toUtf8());
  const QTemporaryDir mapDir;
  TmainForm window(TmainForm::Options{});
  window.show();
  if (!WaitFor([&] { return window.Started(); })) return 1;
  windlark::AppliedSettings settings = window.Settings();
  settings.aprsEnabled = true;
  settings.aprsLogin.version = "1.15";
  settings.aprsLogin.loginCallsign = "ZZ9ZZZ-11";
  settings.aprsLogin.passcode = 12345;
  settings.aprsLogin.serverHost = server.Host();
  settings.aprsLogin.filterLine = "#filter  s/O";
  // Zoomed out far enough for all three sondes around the home.
  settings.zoomLevel = 6;
  settings.zoomLabel = windlark::FormatInt(settings.zoomLevel, 2);
  settings.tileMode = windlark::TileMode::Online;
  settings.mapDir = mapDir.path().toStdString();
  window.ApplySettings(settings);
  window.Widgets().aprsEnable->click();
  if (!WaitFor([&] {
        return window.Widgets().eventsLog->toPlainText().contains(
            QStringLiteral("Connected to Server."));
      })) {
    return 2;
  }
  server.Send(Object("S4930512", UtcTime(70), "5213.15N/01407.36E", "045/031/A=052311 Clb=5.2m/s"));
  server.Send(
      Object("T1820377", UtcTime(65), "4838.71N/00901.22E", "112/018/A=012480!w5L! Clb=-11.4m/s"));
  server.Send(Object("P2310456", UtcTime(60), "4507.44N/00739.95E",
                     "270/009/A=003120 Clb=4.9m/s Windlark 1.15"));
  if (!WaitFor([&] { return window.Widgets().aprsCount->text() == QStringLiteral("Avail 03"); })) {
    return 3;
  }
  server.Send("# aprsc 2.1.14-local 10 Dec 2026 T2LOCAL\r\n");
  Pause(150);
  QGroupBox* group = nullptr;
  for (QGroupBox* box : window.findChildren<QGroupBox*>()) {
    if (box->title() == QStringLiteral("APRS")) group = box;
  }
  if (group == nullptr) return 4;
  save(group, "aprs-group.png");
  Pause(1500);  // the tiles under the sondes
  save(&window, "main-window-sondes.png");

  // The dialog runs modally: it is pictured and answered from a timer inside its loop.
  QTimer::singleShot(700, [&] {
    auto* dialog = window.findChild<windlark::TForm10*>();
    if (dialog == nullptr || !dialog->isVisible()) return;
    save(dialog, "selection-dialog.png");
    dialog->NameList()->setCurrentIndex(dialog->NameList()->findText(QStringLiteral("P2310456")));
    dialog->accept();
  });
  window.Widgets().tracking->click();
  if (!WaitFor([&] { return window.Widgets().aprsCount->text() == QStringLiteral("Lock"); })) {
    return 5;
  }
  server.Send(
      Object("P2310456", UtcTime(5), "4507.52N/00739.81E",
             "268/010/A=003390!wZ0!Clb=4.8m/s 404.10MHz Type=RS41-SGP Aux[O3] Windlark 1.15"));
  if (!WaitFor([&] {
        return window.AprsPanel().Value(QStringLiteral("Sonde ID")) == QStringLiteral("P2310456");
      })) {
    return 6;
  }
  Pause(200);
  save(&window.AprsPanel(), "tracking-panel.png");
  save(group, "aprs-group-tracking.png");
  save(&window, "main-window.png");
  window.close();
  return 0;
}
