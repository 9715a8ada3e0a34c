// The desktop's SondeHub upload through the main window, against a local HTTPS server: a
// replayed flight goes out only in test mode, and closing the window sends what is pending.
#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPlainTextEdit>

#include "app/ui/MainFormRig.h"
#include "support/SondeHubServer.h"
#include "support/TileServer.h"

namespace windlark {
namespace {

class MainFormSondeHubTest : public test::MainFormTest {
 protected:
  void SetUp() override {
    test::MainFormTest::SetUp();
    ASSERT_TRUE(m_ca.Ok());
    const QSslConfiguration tls = m_ca.ServerConfiguration();
    m_server = std::make_unique<SondeHubServer>(&tls);
    qputenv("WINDLARK_SONDEHUB_URL", m_server->BaseUrl().toUtf8());
    qputenv("WINDLARK_SONDEHUB_CA_FILE", m_ca.CaFile().toUtf8());
  }
  void TearDown() override {
    qunsetenv("WINDLARK_SONDEHUB_URL");
    qunsetenv("WINDLARK_SONDEHUB_CA_FILE");
    test::MainFormTest::TearDown();
  }
  // Replays a recorded flight with the upload on, then closes the window.
  QString ReplayAndClose(bool testMode) {
    const std::string raw = RecordRaw("--frames 6 --id V4150123 --lat 52.3 --lon 14.2");
    UseSettingsFile(std::string("[Maps Settings]\r\nHome Lat=52.2\r\nHome Long=14.1\r\n"
                                "Home Altitude=112\r\n[SondeHub]\r\nEnable=1\r\n"
                                "Callsign=DL1ABC-9\r\nAntenna=Vertical\r\nTest Mode=") +
                    (testMode ? "1" : "0") + "\r\n");
    auto window = MakeWindow(nullptr, 0, QString::fromStdString(raw));
    Start(*window);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !window->ReplayRunning(); }, 20000));
    window->close();
    QTest::qWait(100);  // the worker's last events-log lines
    return window->Widgets().eventsLog->toPlainText();
  }
  QList<QJsonObject> Uploaded() const {
    QList<QJsonObject> out;
    for (const auto& request : m_server->RequestsTo("/sondes/telemetry")) {
      for (const QJsonValue& v : QJsonDocument::fromJson(request.json).array()) {
        out << v.toObject();
      }
    }
    return out;
  }

  TestCa m_ca;
  std::unique_ptr<SondeHubServer> m_server;
};

TEST_F(MainFormSondeHubTest, ReplayedFramesGoOutOnlyInTestMode) {
  const QString log = ReplayAndClose(false);
  EXPECT_TRUE(log.contains("SondeHub upload started as DL1ABC-9")) << log.toStdString();
  EXPECT_EQ(log.count("SondeHub: replayed frames are uploaded only in test mode"), 1)
      << log.toStdString();
  EXPECT_TRUE(Uploaded().isEmpty());
  // The station itself is live: its listener record went out.
  ASSERT_EQ(m_server->RequestsTo("/listeners").size(), 1);
  const QJsonObject listener =
      QJsonDocument::fromJson(m_server->RequestsTo("/listeners")[0].json).object();
  EXPECT_EQ(listener["uploader_callsign"].toString(), "DL1ABC-9");
  EXPECT_EQ(listener["uploader_position"].toArray(), (QJsonArray{52.2, 14.1, 112}));
}

TEST_F(MainFormSondeHubTest, TestModeUploadsTheReplayAndTheCloseSendsThePending) {
  const QString log = ReplayAndClose(true);
  const QList<QJsonObject> uploaded = Uploaded();
  ASSERT_EQ(uploaded.size(), 6) << log.toStdString() << m_server->Requests().size();
  for (int k = 0; k < uploaded.size(); ++k) {
    const QJsonObject& o = uploaded[k];
    EXPECT_EQ(o["serial"].toString(), "V4150123");
    EXPECT_EQ(o["frame"].toInt(), 1000 + k);
    EXPECT_EQ(o["dev"], QJsonValue(true));
    EXPECT_EQ(o["uploader_antenna"].toString(), "Vertical");
    EXPECT_EQ(o["uploader_position"].toArray(), (QJsonArray{52.2, 14.1, 112}));
  }
}

}  // namespace
}  // namespace windlark
