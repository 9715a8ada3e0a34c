// The update check against a local HTTP server, through the main window.
#include <gtest/gtest.h>

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <set>

#include "app/ui/AboutBox.h"
#include "app/ui/Form8.h"
#include "app/ui/MainFormRig.h"
#include "gps/io/StationDevices.h"

namespace windlark {
namespace {

// Serves one reply to every request: a version file, a 404, or nothing at all (stalled).
class VersionServer : public QObject {
 public:
  enum class Mode { Serve, NotFound, Stall };

  VersionServer() {
    connect(&m_server, &QTcpServer::newConnection, this, [this] {
      while (QTcpSocket* client = m_server.nextPendingConnection()) {
        client->setParent(this);
        connect(client, &QTcpSocket::readyRead, this, [this, client] { Answer(client); });
      }
    });
  }
  bool Listen() { return m_server.listen(QHostAddress::LocalHost, 0); }
  QString Url() const {
    return QStringLiteral("http://127.0.0.1:%1/release/version.txt").arg(m_server.serverPort());
  }
  void Set(Mode mode, QByteArray body = {}) {
    m_mode = mode;
    m_body = std::move(body);
  }
  const QByteArray& LastRequest() const { return m_request; }
  int Requests() const { return m_requests; }

 private:
  void Answer(QTcpSocket* client) {
    m_request += client->readAll();
    if (!m_request.contains("\r\n\r\n")) return;
    ++m_requests;
    if (m_mode == Mode::Stall) return;
    const QByteArray status = m_mode == Mode::Serve ? "200 OK" : "404 Not Found";
    client->write("HTTP/1.1 " + status + "\r\nContent-Type: text/plain\r\nContent-Length: " +
                  QByteArray::number(m_body.size()) + "\r\nConnection: close\r\n\r\n" + m_body);
    client->disconnectFromHost();
  }

  QTcpServer m_server;
  Mode m_mode = Mode::Serve;
  QByteArray m_body;
  QByteArray m_request;
  int m_requests = 0;
};

class UpdateCheckTest : public test::MainFormTest {
 protected:
  void SetUp() override {
    MainFormTest::SetUp();
    ASSERT_TRUE(m_server.Listen());
    m_options = [this](TmainForm::Options& options) {
      options.checkForUpdates = true;
      options.versionFileUrl = m_url.isEmpty() ? m_server.Url() : m_url;
      options.updateTimeoutMs = 1000;
    };
  }

  // What the new-version window showed while it was open; with `clickOk` the user closes it.
  struct Shown {
    bool visible = false;
    QString current;
    QString available;
    QString changeLog;
    std::vector<QString> captions;
  };
  Shown RunCheck(TmainForm& window, int silent, bool clickOk = false) {
    Shown shown;
    bool finished = false;
    auto connection =
        QObject::connect(&window, &TmainForm::UpdateCheckFinished, [&] { finished = true; });
    // The window is modal: watch it from a timer that runs inside its own event loop.
    QTimer watch;
    watch.setInterval(50);
    QObject::connect(&watch, &QTimer::timeout, [&] {
      TForm8& form = window.NewVersionForm();
      if (!form.isVisible()) return;
      shown.visible = true;
      shown.current = form.CurrentVersion()->text();
      shown.available = form.AvailableVersion()->text();
      shown.changeLog = form.ChangeLog()->toPlainText();
      const QString caption = form.OkButton()->text();
      if (shown.captions.empty() || shown.captions.back() != caption) {
        shown.captions.push_back(caption);
      }
      if (clickOk) form.OkButton()->click();
    });
    watch.start();
    window.CheckUpdateVersion(silent);
    EXPECT_TRUE(QTest::qWaitFor([&] { return finished; }, 20000));
    QObject::disconnect(connection);
    shown.captions.push_back(window.NewVersionForm().OkButton()->text());
    return shown;
  }
  std::vector<std::string> Logged(const TmainForm& window) const {
    std::vector<std::string> lines;
    for (const QString& line :
         window.Widgets().eventsLog->toPlainText().split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
      lines.push_back(line.mid(20).toStdString());
    }
    return lines;
  }

  VersionServer m_server;
  QString m_url;
};

TEST_F(UpdateCheckTest, ANewerReleaseIsAnnouncedAndTheAutomaticWindowClosesItself) {
  m_server.Set(VersionServer::Mode::Serve, "1.16\r\nFirst change\r\nSecond change\r\n");
  auto window = MakeWindow();
  Start(*window);
  // The settings load arms the five-second timer.
  EXPECT_TRUE(window->TimerCheckVer().isActive());
  EXPECT_EQ(window->TimerCheckVer().interval(), 5000);

  const Shown shown = RunCheck(*window, 1);
  EXPECT_TRUE(shown.visible);
  EXPECT_EQ(shown.current, QStringLiteral("1.15"));
  EXPECT_EQ(shown.available, QStringLiteral("1.16"));
  EXPECT_EQ(shown.changeLog, QStringLiteral("First change\nSecond change\n"));
  const std::vector<QString> countdown = {QStringLiteral("Ok"),     QStringLiteral("OK [5]"),
                                          QStringLiteral("OK [4]"), QStringLiteral("OK [3]"),
                                          QStringLiteral("OK [2]"), QStringLiteral("OK [1]"),
                                          QStringLiteral("OK")};
  EXPECT_EQ(shown.captions, countdown);
  EXPECT_FALSE(window->NewVersionForm().isVisible());
  const auto lines = Logged(*window);
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.back(), "New release of Windlark is now available for download");
  EXPECT_TRUE(m_prompts.messages.empty());
  EXPECT_TRUE(m_server.LastRequest().contains("User-Agent: Windlark/1.15"))
      << m_server.LastRequest().toStdString();
  EXPECT_EQ(window->NewVersionForm().windowTitle(),
            QStringLiteral("Windlark - New version Available"));

  // 1.100 counts as 200; asked by hand the window waits for its "Ok".
  m_server.Set(VersionServer::Mode::Serve, "1.100\r\n");
  const Shown manual = RunCheck(*window, 0, true);
  EXPECT_TRUE(manual.visible);
  EXPECT_EQ(manual.available, QStringLiteral("1.100"));
  EXPECT_EQ(manual.captions.front(), QStringLiteral("Ok"));
  EXPECT_EQ(manual.captions.back(), QStringLiteral("OK"));
}

TEST_F(UpdateCheckTest, UpToDateOnlyAManualCheckSaysSo) {
  m_server.Set(VersionServer::Mode::Serve, "1.15\r\n");
  auto window = MakeWindow();
  Start(*window);
  EXPECT_FALSE(RunCheck(*window, 1).visible);
  EXPECT_TRUE(m_prompts.messages.empty());
  EXPECT_FALSE(RunCheck(*window, 0).visible);
  ASSERT_EQ(m_prompts.messages.size(), 1U);
  EXPECT_EQ(m_prompts.messages[0].first, Prompts::Icon::Information);
  EXPECT_EQ(m_prompts.messages[0].second,
            QStringLiteral("Software already updated to the latest release 1.15"));

  // The about box's button asks by hand.
  m_prompts.messages.clear();
  bool finished = false;
  QObject::connect(window.get(), &TmainForm::UpdateCheckFinished, [&] { finished = true; });
  window->AboutBox().CheckForUpdatesButton()->click();
  ASSERT_TRUE(QTest::qWaitFor([&] { return finished; }, 10000));
  EXPECT_EQ(m_prompts.messages.size(), 1U);
}

TEST_F(UpdateCheckTest, EveryFailureIsSilentInBothModes) {
  struct Case {
    const char* what;
    VersionServer::Mode mode;
    QByteArray body;
  };
  const Case cases[] = {
      {"older", VersionServer::Mode::Serve, "0.9\r\nold\r\n"},
      {"no CR LF", VersionServer::Mode::Serve, "1.16"},
      {"not a version", VersionServer::Mode::Serve, "<html>1.16</html>\r\n"},
      {"404", VersionServer::Mode::NotFound, "1.16\r\n"},
      {"stalled", VersionServer::Mode::Stall, {}},
  };
  auto window = MakeWindow();
  Start(*window);
  for (const Case& c : cases) {
    m_server.Set(c.mode, c.body);
    for (const int silent : {1, 0}) {
      const int before = m_server.Requests();
      const Shown shown = RunCheck(*window, silent);
      EXPECT_FALSE(shown.visible) << c.what;
      EXPECT_TRUE(m_prompts.messages.empty()) << c.what;
      EXPECT_EQ(m_server.Requests(), before + 1) << c.what;
    }
  }
  EXPECT_TRUE(Logged(*window).empty() ||
              Logged(*window).back() != "New release of Windlark is now available for download");
}

TEST_F(UpdateCheckTest, ARefusedConnectionIsSilent) {
  m_url = QStringLiteral("http://127.0.0.1:%1/version.txt").arg(test::FreePort());
  auto window = MakeWindow();
  Start(*window);
  for (const int silent : {1, 0}) EXPECT_FALSE(RunCheck(*window, silent).visible);
  EXPECT_TRUE(m_prompts.messages.empty());
}

}  // namespace
}  // namespace windlark
