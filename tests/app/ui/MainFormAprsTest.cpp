// The main window's APRS group against a scripted APRS-IS server on 127.0.0.1: the button, the
// feedback in the events log, the counters, monitoring and tracking with their panel and dialog,
// and the decoder's report through the window.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QDialog>
#include <QElapsedTimer>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTimer>
#include <QToolButton>
#include <cstdlib>

#include "app/ui/MainFormRig.h"
#include "aprs/io/Aprs.h"
#include "aprs/io/AprsTestServer.h"
#include "aprs/ui/AprsPanel.h"
#include "aprs/ui/Form10.h"

namespace windlark {
namespace {

std::string Object(const std::string& name, const std::string& time) {
  return "DL1XYZ-5>APRS,TCPIP*,qAC,T2DE:;" + name + std::string(9 - name.size(), ' ') + "*" + time +
         "4532.18N/00741.52EO087/012/A=034524!wE!!Clb=5.1m/s 403.00MHz Type=RS41-SG";
}

class MainFormAprsTest : public test::MainFormTest {
 protected:
  void SetUp() override {
    MainFormTest::SetUp();
    ::unsetenv("WINDLARK_APRS_HOST");
    m_aprsClient = [] {
      TAprs::Timing t;
      t.idleMs = 50;
      t.retryShortMs = 200;
      return std::make_unique<TAprs>(t, [] { return UtcNow{2026, 12, 10, 12 * 3600}; });
    };
    UseSettingsFile(
        "[Aprs]\r\nEnable=1\r\nCallSign=ZZ9ZZZ-11\r\nPassword=12345\r\nServerNum=1\r\n"
        "[Hosts]\r\nAprs Region 1=" +
        server.Host() + "\r\n");
    window = MakeWindow();
    Start(*window);
  }
  void TearDown() override {
    window.reset();
    MainFormTest::TearDown();
  }

  const MainWidgets& W() const { return window->Widgets(); }
  std::string Log() const { return W().eventsLog->toPlainText().toStdString(); }
  bool Logged(const std::string& text) const { return Log().find(text) != std::string::npos; }
  static bool WaitFor(const std::function<bool()>& done, int ms = 5000) {
    return QTest::qWaitFor(done, ms);
  }
  QString Image() const { return W().aprsEnable->property("image").toString(); }
  void Connect() {
    W().aprsEnable->click();
    ASSERT_TRUE(WaitFor([&] { return Logged("APRS: Connected to Server."); }));
  }

  test::AprsTestServer server;
  std::unique_ptr<TmainForm> window;
};

TEST_F(MainFormAprsTest, ConnectsMonitorsTracksAndSwitchesOff) {
  EXPECT_TRUE(W().aprsEnable->isEnabled());
  EXPECT_FALSE(W().monitoring->isEnabled());
  EXPECT_EQ(Image(), QStringLiteral("APRS_START"));
  Connect();
  EXPECT_TRUE(Logged("APRS: Attempting connection to " + server.Host()));
  EXPECT_EQ(Image(), QStringLiteral("APRS_GOOD"));
  EXPECT_TRUE(W().monitoring->isEnabled() && W().monitoring->isChecked());
  EXPECT_TRUE(W().tracking->isEnabled() && !W().tracking->isChecked());
  EXPECT_TRUE(window->AprsTimer().isActive());
  EXPECT_EQ(window->AprsTimer().interval(), 60000);

  for (const char* name : {"S3", "S1", "S2"}) server.SendLine(Object(name, "115900h"));
  ASSERT_TRUE(WaitFor([&] { return W().aprsCount->text() == QStringLiteral("Avail 03"); }));
  ASSERT_EQ(window->AprsSondes().size(), 3u);
  EXPECT_EQ(window->AprsSondes()[0].name, "S3");
  EXPECT_FALSE(window->AprsSmallMarkers());

  QStringList offered;
  m_dialogPrompts.play = [&](QDialog& dialog) {
    auto* list = dialog.findChild<QComboBox*>();
    for (int i = 0; i < list->count(); ++i) offered << list->itemText(i);
    list->setCurrentIndex(1);
    dialog.accept();
  };
  W().tracking->click();
  EXPECT_EQ(offered, (QStringList{"S1", "S2", "S3"}));
  ASSERT_TRUE(WaitFor([&] { return W().aprsCount->text() == QStringLiteral("Lock"); }));
  EXPECT_EQ(server.LinesStartingWith("#filter o/").back(), "#filter o/S2");
  EXPECT_EQ(window->AprsSondes().size(), 1u);
  EXPECT_TRUE(window->AprsSmallMarkers());
  EXPECT_TRUE(W().tracking->isChecked() && !W().monitoring->isChecked());
  TAprsPanel& panel = window->AprsPanel();
  EXPECT_TRUE(panel.isVisible());
  EXPECT_EQ(panel.Value(QStringLiteral("Sonde ID")), QStringLiteral("Waiting data..."));
  EXPECT_EQ(panel.y(), window->y() + 87);
  server.SendLine(Object("S2", "115930h"));
  ASSERT_TRUE(WaitFor([&] { return panel.Value(QStringLiteral("Sonde ID")) == "S2"; }));
  EXPECT_EQ(panel.Value(QStringLiteral("Time")), QStringLiteral("11:59:30 UTC"));
  EXPECT_EQ(panel.Value(QStringLiteral("Source")), QStringLiteral("DL1XYZ-5"));
  EXPECT_EQ(panel.Value(QStringLiteral("Course")), QStringLiteral("087°"));

  W().monitoring->click();
  EXPECT_FALSE(panel.isVisible());
  EXPECT_FALSE(window->AprsSmallMarkers());
  ASSERT_TRUE(WaitFor([&] { return W().aprsCount->text() == QStringLiteral("Avail 01"); }));
  EXPECT_EQ(server.lines.back(), "#filter  s/O");

  // The own sonde, through the decoder's hooks.
  DecoderHooks& hooks = *window;
  EXPECT_TRUE(hooks.AprsConnected());
  ObjectReport report;
  report.sondeId = "T1234567";
  report.year = 2026;
  report.month = 12;
  report.day = 10;
  report.hour = 12;
  report.latitude = 44.6;
  report.longitude = 7.7;
  report.frequencyKHz = 403000;
  hooks.QueueObjectReport(report);
  ASSERT_TRUE(WaitFor([&] { return W().aprsState->text() == QStringLiteral("Tx 1"); }));
  EXPECT_EQ(server.LinesStartingWith("ZZ9ZZZ-11>APRS,TCPIP*:;T1234567 *120000h").size(), 1u);
  EXPECT_EQ(W().aprsCount->text(), QStringLiteral("Avail 02"));
  EXPECT_TRUE(window->AprsSondes().back().ownSonde);

  W().aprsEnable->click();
  EXPECT_TRUE(Logged("APRS server: Disconnected"));
  EXPECT_EQ(Image(), QStringLiteral("APRS_START"));
  EXPECT_FALSE(W().monitoring->isEnabled() || W().tracking->isEnabled());
  EXPECT_FALSE(W().monitoring->isChecked() || W().tracking->isChecked());
  EXPECT_FALSE(window->AprsTimer().isActive());
  ASSERT_TRUE(WaitFor([&] { return window->Aprs().State() == AprsState::Idle; }));
  ASSERT_TRUE(
      WaitFor([&] { return window->AprsSondes().empty() && W().aprsCount->text().isEmpty(); }));
  EXPECT_TRUE(WaitFor([&] { return W().aprsState->text().isEmpty(); }))
      << "the sent count goes with the connection";
  EXPECT_FALSE(hooks.AprsConnected());
}

TEST_F(MainFormAprsTest, TrackingWithNoneOrOneSonde) {
  Connect();
  W().tracking->click();
  ASSERT_EQ(m_prompts.messages.size(), 1u);
  EXPECT_EQ(m_prompts.messages[0].second,
            QStringLiteral("No radiosonde received from APRS server.\rtrack not available."));
  EXPECT_TRUE(W().monitoring->isChecked() && !W().tracking->isChecked());

  server.SendLine(Object("S9", "115900h"));
  ASSERT_TRUE(WaitFor([&] { return window->AprsSondes().size() == 1; }));
  bool asked = false;
  m_dialogPrompts.play = [&](QDialog&) { asked = true; };
  W().tracking->click();
  EXPECT_FALSE(asked) << "one sonde is tracked at once";
  ASSERT_TRUE(WaitFor([&] { return W().aprsCount->text() == QStringLiteral("Lock"); }));
  EXPECT_TRUE(window->AprsPanel().isVisible());
}

TEST_F(MainFormAprsTest, ALostConnectionIsReportedAndMadeAgain) {
  Connect();
  server.CloseClient();
  ASSERT_TRUE(WaitFor([&] { return Logged("APRS: Connection fail.Reconnect in 10s"); }));
  EXPECT_EQ(Image(), QStringLiteral("APRS_FAIL"));
  EXPECT_FALSE(W().monitoring->isEnabled());
  ASSERT_TRUE(WaitFor([&] { return server.connections == 2 && Image() == "APRS_GOOD"; }));

  server.script = [](test::AprsTestServer& s, const std::string& line) {
    if (line.rfind(" user ", 0) == 0) s.SendLine("# logresp ZZ9ZZZ-11 unverified");
  };
  server.CloseClient();
  ASSERT_TRUE(WaitFor([&] {
    return Logged("APRS: Login fail [" + server.Host() +
                  ",ZZ9ZZZ-11,12345]. Reconnect in 5 minutes");
  }));
  // Closing the window ends the client's 5-minute wait at once.
  QElapsedTimer clock;
  clock.start();
  window->close();
  EXPECT_LT(clock.elapsed(), 2000);
}

}  // namespace
}  // namespace windlark
