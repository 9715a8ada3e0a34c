// Raw file replay, the exports and the ghost track, driven through the main window's buttons.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QSlider>
#include <QToolButton>
#include <algorithm>
#include <fstream>
#include <regex>

#include "app/ui/AudioControl.h"
#include "app/ui/MainFormRig.h"
#include "records/RawReplay.h"
#include "records/RecordsRig.h"
#include "records/ui/ExportControl.h"
#include "records/ui/KmlProgressForm.h"
#include "records/ui/ReplayControlForm.h"

namespace windlark {
namespace {

using test::MainFormTest;

constexpr const char* kFlight =
    "--frames 30 --start-frame 4200 --start-fragment 0 --id V4150123 --lat 52.21 --lon 14.12 "
    "--alt 5800 --noise 3";

// Buttons a replay switches off, and whether each is back on afterwards with APRS disabled.
const char* const kReplayLocked[] = {"SBStartAudio", "SBStopAudio", "SBStartRadio", "SBStopRadio",
                                     "SBLoadKml",    "SBSettings",  "SBLoadRawFile"};

class ReplayTest : public MainFormTest {
 protected:
  // Starts the replay of `file` through the button and returns once it runs.
  void LoadRaw(TmainForm& window, const std::string& file) {
    m_prompts.openAnswer = QString::fromStdString(file);
    window.Widgets().loadRaw->click();
    ASSERT_TRUE(window.ReplayRunning());
  }
  static bool WaitForEnd(TmainForm& window, int ms = 20000) {
    return QTest::qWaitFor([&] { return !window.ReplayRunning(); }, ms);
  }
};

TEST_F(ReplayTest, RawFileReplaysToTheEndAndRestoresEveryButton) {
  const std::string raw = RecordRaw(kFlight);
  auto window = MakeWindow();
  Start(*window);
  AppliedSettings settings;
  settings.aprsEnabled = true;
  window->ApplySettings(settings);
  window->Widgets().aprsEnable->setChecked(true);
  window->Widgets().startAudio->click();
  ASSERT_TRUE(window->Audio().Running());

  LoadRaw(*window, raw);
  ASSERT_EQ(m_prompts.opens.size(), 1U);
  EXPECT_EQ(m_prompts.opens[0].title, QStringLiteral("Load RS41 RAW Data File"));
  EXPECT_FALSE(window->Audio().Running()) << "live decoding stops for the replay";
  EXPECT_TRUE(window->Widgets().stopAudio->isChecked());
  for (const char* name : kReplayLocked) EXPECT_FALSE(Button(*window, name)->isEnabled()) << name;
  EXPECT_FALSE(window->Widgets().aprsEnable->isEnabled());
  EXPECT_FALSE(window->Widgets().aprsEnable->isChecked());
  EXPECT_TRUE(window->Widgets().loadRaw->isChecked());
  TReplayControlForm& control = window->ReplayControl();
  EXPECT_TRUE(control.isVisible());
  EXPECT_EQ(control.windowTitle(), QStringLiteral("Raw Player Control - Processing speed"));
  EXPECT_EQ(control.Position(), 2);
  EXPECT_EQ(window->Panels().StatusPanel(1, 1),
            "Input source: " + std::filesystem::path(raw).filename().string());

  QTest::mouseClick(control.SpeedLabel(5), Qt::LeftButton);  // "Max"
  EXPECT_EQ(control.Position(), 5);
  ASSERT_TRUE(WaitForEnd(*window));

  for (const char* name : kReplayLocked) EXPECT_TRUE(Button(*window, name)->isEnabled()) << name;
  EXPECT_TRUE(window->Widgets().aprsEnable->isEnabled()) << "APRS is enabled in the settings";
  EXPECT_FALSE(window->Widgets().loadRaw->isChecked());
  EXPECT_FALSE(control.isVisible());
  EXPECT_EQ(control.Position(), 2);
  const PanelView& view = window->Panels();
  EXPECT_EQ(view.Text(ReadOut::FrameNumber), "4229");
  EXPECT_EQ(view.Text(ReadOut::SondeId), "V4150123");
  EXPECT_EQ(view.StatusPanel(1, 1), "Input source: None");
  EXPECT_TRUE(
      std::regex_match(view.StatusPanel(1, 2),
                       std::regex(R"(Extimated Launch time: \d{4}-\d\d-\d\d-\d\d \(Local\))")))
      << view.StatusPanel(1, 2);
  for (int k = 0; k < static_cast<int>(Lamp::Count); ++k) {
    EXPECT_EQ(view.LampColour(static_cast<Lamp>(k)), kNavy) << LampKey(static_cast<Lamp>(k));
  }
  EXPECT_EQ(window->Chain().Log().Count(), 30U);
  EXPECT_TRUE(m_prompts.messages.empty());

  // The button works again: a second replay of the same sonde continues the flight.
  LoadRaw(*window, raw);
  window->LogFileThreadCommander(static_cast<int>(ReplaySpeed::Max));
  ASSERT_TRUE(WaitForEnd(*window));
  EXPECT_EQ(window->Chain().Log().Count(), 60U);
}

TEST_F(ReplayTest, CancelledFileDialogStartsNothing) {
  auto window = MakeWindow();
  Start(*window);
  m_prompts.openAnswer.clear();
  window->Widgets().loadRaw->click();
  EXPECT_FALSE(window->ReplayRunning());
  EXPECT_FALSE(window->Widgets().loadRaw->isChecked());
  EXPECT_TRUE(window->Widgets().startAudio->isEnabled());
}

TEST_F(ReplayTest, StopPausesAndTerminateWhilePausedEndsTheReplay) {
  const std::string raw = RecordRaw(kFlight);
  auto window = MakeWindow();
  Start(*window);
  LoadRaw(*window, raw);
  TReplayControlForm& control = window->ReplayControl();
  control.TrackBar()->setValue(0);  // "Stop"
  QTest::qWait(300);
  const std::string frame = window->Panels().Text(ReadOut::FrameNumber);
  QTest::qWait(1300);
  EXPECT_EQ(window->Panels().Text(ReadOut::FrameNumber), frame) << "paused";
  EXPECT_TRUE(window->ReplayRunning());
  control.TerminateButton()->click();
  ASSERT_TRUE(WaitForEnd(*window, 3000));
  EXPECT_LT(window->Chain().Log().Count(), 30U);
  EXPECT_TRUE(window->Widgets().startAudio->isEnabled());
  EXPECT_FALSE(control.isVisible());
  EXPECT_EQ(window->Panels().StatusPanel(1, 1), "Input source: None");
}

TEST_F(ReplayTest, ClosingTheReplayWindowEndsTheReplay) {
  const std::string raw = RecordRaw(kFlight);
  auto window = MakeWindow();
  Start(*window);
  LoadRaw(*window, raw);
  window->ReplayControl().close();
  ASSERT_TRUE(WaitForEnd(*window, 3000));
  EXPECT_FALSE(window->ReplayControl().isVisible());
  EXPECT_TRUE(window->Widgets().loadRaw->isEnabled());
}

TEST_F(ReplayTest, UnreadableFileStillEndsTheReplay) {
  auto window = MakeWindow();
  Start(*window);
  LoadRaw(*window, Path("missing.txt").string());
  ASSERT_TRUE(WaitForEnd(*window, 3000));
  ASSERT_EQ(m_prompts.messages.size(), 1U);
  EXPECT_EQ(m_prompts.messages[0].first, Prompts::Icon::Error);
  EXPECT_TRUE(m_prompts.messages[0].second.startsWith(QStringLiteral("Cannot open ")));
  EXPECT_TRUE(window->Widgets().loadRaw->isEnabled());
  EXPECT_TRUE(window->Widgets().settings->isEnabled());
  EXPECT_EQ(window->Panels().StatusPanel(1, 1), "Input source: None");
}

TEST_F(ReplayTest, ClosingTheWindowStopsARunningReplayPromptly) {
  const std::string raw = RecordRaw(kFlight);
  // The worker spends its time waiting: paced, paused (no time-out at all) and at 0.5x.
  for (const ReplaySpeed speed : {ReplaySpeed::Normal, ReplaySpeed::Stop, ReplaySpeed::Half}) {
    auto window = MakeWindow();
    Start(*window);
    LoadRaw(*window, raw);
    window->LogFileThreadCommander(static_cast<int>(speed));
    QTest::qWait(200);
    QElapsedTimer timer;
    timer.start();
    window->close();
    EXPECT_FALSE(window->ReplayRunning());
    window.reset();
    EXPECT_LT(timer.elapsed(), 500) << "speed " << static_cast<int>(speed);
  }
}

TEST_F(ReplayTest, FileNamedAtStartIsReplayedAfterStartUp) {
  const std::string raw = RecordRaw(kFlight);
  auto window = MakeWindow(nullptr, 0, QString::fromStdString(raw));
  Start(*window);
  EXPECT_TRUE(window->ReplayRunning());
  window->LogFileThreadCommander(static_cast<int>(ReplaySpeed::Max));
  ASSERT_TRUE(WaitForEnd(*window));
  EXPECT_EQ(window->Panels().Text(ReadOut::FrameNumber), "4229");
}

class ExportTest : public ReplayTest {
 protected:
  // A window that has replayed a flight.
  std::unique_ptr<TmainForm> FlownWindow() {
    const std::string raw = RecordRaw(kFlight);
    auto window = MakeWindow(nullptr, 0, QString::fromStdString(raw));
    Start(*window);
    window->LogFileThreadCommander(static_cast<int>(ReplaySpeed::Max));
    EXPECT_TRUE(WaitForEnd(*window));
    return window;
  }
};

TEST_F(ExportTest, EmptyLogIsReportedAndBothButtonsComeBack) {
  auto window = MakeWindow();
  Start(*window);
  window->Widgets().exportGps->click();
  window->Widgets().exportTelemetry->click();
  ASSERT_EQ(m_prompts.messages.size(), 2U);
  EXPECT_EQ(m_prompts.messages[0].second,
            QStringLiteral("Unable to save GPS track file.\rNo points to save"));
  EXPECT_EQ(m_prompts.messages[1].second,
            QStringLiteral("Unable to Export Radiosonde Telemetry.\rNo points to save"));
  EXPECT_TRUE(m_prompts.saves.empty());
  EXPECT_TRUE(window->Widgets().exportGps->isEnabled());
  EXPECT_TRUE(window->Widgets().exportTelemetry->isEnabled());
}

TEST_F(ExportTest, TrackAndTelemetryAreWrittenWithProgressAndMessage) {
  auto window = FlownWindow();
  struct Case {
    QToolButton* button;
    int filterIndex;
    const char* file;
    const char* title;
    const char* saved;
    const char* contentStart;
  };
  const Case cases[] = {
      {window->Widgets().exportGps, 1, "track.kml", "Save Radiosonde GPS Track",
       "GPS track file saved", "<?xml"},
      {window->Widgets().exportGps, 2, "track.kml", "Save Radiosonde GPS Track",
       "GPS track file saved", "<?xml"},
      {window->Widgets().exportTelemetry, 1, "telemetry.csv", "Export Radiosonde Telemetry",
       "Radiosonde Telemetry saved", "Date,Time,Latitude"},
  };
  for (const Case& c : cases) {
    m_prompts.messages.clear();
    m_prompts.saves.clear();
    const std::string file = Path(c.file).string();
    m_prompts.saveAnswer = {QString::fromStdString(file), c.filterIndex};
    QSignalSpy done(&window->Exports(), &TExportControl::ExportDone);
    c.button->click();
    EXPECT_FALSE(window->Widgets().exportGps->isEnabled());
    EXPECT_FALSE(window->Widgets().exportTelemetry->isEnabled());
    ASSERT_TRUE(done.wait(10000)) << c.file;
    ASSERT_EQ(m_prompts.saves.size(), 1U);
    EXPECT_EQ(m_prompts.saves[0].title, QString::fromUtf8(c.title));
    EXPECT_TRUE(m_prompts.saves[0].fileName.startsWith(QStringLiteral("Radiosonde_V4150123_")));
    ASSERT_EQ(m_prompts.messages.size(), 1U);
    EXPECT_EQ(m_prompts.messages[0].first, Prompts::Icon::Information);
    EXPECT_EQ(m_prompts.messages[0].second, QString::fromUtf8(c.saved));
    TKmlProgressForm& progress = window->Exports().ProgressForm();
    EXPECT_FALSE(progress.isVisible());
    EXPECT_EQ(progress.Label()->text(), QString::fromStdString("saving " + file));
    EXPECT_EQ(progress.Bar()->value(), 100);
    EXPECT_TRUE(window->Widgets().exportGps->isEnabled());
    EXPECT_TRUE(window->Widgets().exportTelemetry->isEnabled());
    const std::string content = test::ReadAll(file);
    EXPECT_EQ(content.rfind(c.contentStart, 0), 0U) << content.substr(0, 80);
    if (c.filterIndex == 2) {
      EXPECT_NE(content.find("<gpx"), std::string::npos);
    }
  }
  EXPECT_EQ(m_prompts.saves.size(), 1U);
}

TEST_F(ExportTest, ClosingTheWindowDuringAnExportLeavesAWholeFile) {
  auto window = FlownWindow();
  const std::string file = Path("closing.csv").string();
  m_prompts.saveAnswer = {QString::fromStdString(file), 1};
  window->Widgets().exportTelemetry->click();
  window->close();  // while the export's thread writes
  window.reset();
  // The export finished before the window went: the file is complete, never torn.
  const std::string content = test::ReadAll(file);
  EXPECT_EQ(content.rfind("Date,Time,Latitude", 0), 0U);
  ASSERT_FALSE(content.empty());
  EXPECT_EQ(content.back(), '\n');
  EXPECT_EQ(std::count(content.begin(), content.end(), '\n'), 31) << "header and 30 frames";
}

TEST_F(ExportTest, WriteFailureIsReportedAndTheButtonsComeBack) {
  auto window = FlownWindow();
  m_prompts.saveAnswer = {QString::fromStdString(Path("no-such-folder/track.kml").string()), 1};
  QSignalSpy done(&window->Exports(), &TExportControl::ExportDone);
  window->Widgets().exportGps->click();
  ASSERT_TRUE(done.wait(10000));
  EXPECT_FALSE(done.at(0).at(0).toBool());
  ASSERT_EQ(m_prompts.messages.size(), 1U);
  EXPECT_EQ(m_prompts.messages[0].first, Prompts::Icon::Error);
  EXPECT_TRUE(
      m_prompts.messages[0].second.startsWith(QStringLiteral("Unable to save GPS track file.\r")));
  EXPECT_TRUE(window->Widgets().exportGps->isEnabled());
  EXPECT_FALSE(window->Exports().ProgressForm().isVisible());
}

TEST_F(ExportTest, GoogleMapOpensThePlaceOfTheLastPointOnly) {
  {
    auto window = MakeWindow();
    Start(*window);
    window->Widgets().googleMap->click();
    ASSERT_EQ(m_prompts.messages.size(), 1U);
    EXPECT_EQ(m_prompts.messages[0].second,
              QStringLiteral("No Radiosonde Coordinates Availables.\rGoogle maps on browser will "
                             "not be opened."));
    EXPECT_TRUE(m_prompts.urls.empty());
  }
  auto window = FlownWindow();
  window->Widgets().googleMap->click();
  ASSERT_EQ(m_prompts.urls.size(), 1U);
  EXPECT_TRUE(
      std::regex_match(m_prompts.urls[0].toStdString(),
                       std::regex(R"(https://www\.google\.com/maps/place/52\.\d{6},14\.\d{6})")))
      << m_prompts.urls[0].toStdString();
}

TEST_F(MainFormTest, GhostTrackToggleLoadsClearsAndRejects) {
  const std::string good = Path("good.kml").string();
  std::ofstream(good) << "<kml><Document><name>Old flight</name><Folder><Placemark><LineString>"
                         "<coordinates>7.1,45.0,500 7.2,45.1,600</coordinates>"
                         "</LineString></Placemark></Folder></Document></kml>";
  const std::string bad = Path("bad.kml").string();
  std::ofstream(bad) << "<kml><Document><LineString><coordinates>7.1,45.0 7.2,45.1</coordinates>"
                        "</LineString></Document></kml>";
  auto window = MakeWindow();
  Start(*window);
  QToolButton* button = window->Widgets().loadKml;

  m_prompts.openAnswer.clear();
  button->click();
  EXPECT_FALSE(button->isChecked()) << "cancelled";
  EXPECT_TRUE(m_prompts.messages.empty());

  m_prompts.openAnswer = QString::fromStdString(good);
  button->click();
  EXPECT_TRUE(button->isChecked());
  EXPECT_EQ(window->Ghost().Points().size(), 2U);
  EXPECT_EQ(m_prompts.opens.back().title, QStringLiteral("load kml file"));
  EXPECT_TRUE(
      window->Widgets().eventsLog->toPlainText().endsWith("Ghost track \"Old flight\" loaded"));

  button->click();
  EXPECT_FALSE(button->isChecked());
  EXPECT_TRUE(window->Ghost().Empty());
  EXPECT_TRUE(window->Widgets().eventsLog->toPlainText().endsWith("Ghost track cleared"));

  m_prompts.openAnswer = QString::fromStdString(bad);
  button->click();
  EXPECT_FALSE(button->isChecked());
  ASSERT_EQ(m_prompts.messages.size(), 1U);
  EXPECT_EQ(m_prompts.messages[0].second, QStringLiteral("Invalid or unsupported kml file"));
  EXPECT_TRUE(window->Ghost().Empty());
}

}  // namespace
}  // namespace windlark
