// The main window: start-up, the decoder's texts on its controls, the audio buttons.
#include <gtest/gtest.h>

#include <QClipboard>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTimer>
#include <QToolButton>
#include <map>
#include <regex>
#include <set>

#include "app/ui/AboutBox.h"
#include "app/ui/AudioControl.h"
#include "app/ui/Charts.h"
#include "app/ui/MainFormRig.h"
#include "app/ui/StatusBarPanels.h"
#include "base/io/LocaleSeparator.h"
#include "decoder/PanelRecorder.h"
#include "map/ui/MapImage.h"
#include "records/RawReplay.h"
#include "signal/ui/AudioSignalMonitor.h"
#include "xdata/ui/OIF411FrameUnit.h"
#include "xdata/ui/SkydewFrameUnit.h"
#include "xdata/ui/xdataUnit.h"

namespace windlark {
namespace {

using test::MainFormTest;

std::vector<std::string> EventTexts(const TmainForm& window) {
  std::vector<std::string> texts;
  const QStringList lines =
      window.Widgets().eventsLog->toPlainText().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
  for (const QString& line : lines) texts.push_back(line.mid(20).toStdString());
  return texts;
}

TEST_F(MainFormTest, StartupBuildsTheWindowWithItsCaptionsAndInitialTexts) {
  auto window = MakeWindow();
  Start(*window);
  EXPECT_EQ(window->windowTitle(), QStringLiteral("Windlark V 1.15"));
  EXPECT_EQ(window->AboutBox().ReleaseLabel()->text(), QStringLiteral("Windlark Release 1.15"));

  PanelView& view = window->Panels();
  const std::pair<std::pair<int, int>, const char*> panels[] = {{{1, 1}, "Input source: None"},
                                                                {{1, 2}, "Estimated Launch Time"},
                                                                {{1, 3}, "Max Altitude:"},
                                                                {{1, 4}, "Max Wind:"},
                                                                {{2, 1}, ""},
                                                                {{2, 2}, "Raw File: OFF"},
                                                                {{2, 3}, ""}};
  for (const auto& [at, text] : panels) {
    EXPECT_EQ(view.StatusPanel(at.first, at.second), text) << at.first << "/" << at.second;
  }
  EXPECT_EQ(view.Text(ReadOut::RadioStatus), "Not Active");
  EXPECT_EQ(view.Text(ReadOut::ZoomLevel), "12");
  EXPECT_EQ(view.Text(ReadOut::PressureCaption), "Pressure ");
  EXPECT_EQ(view.Text(ReadOut::FrameNumber), "");
  EXPECT_EQ(window->Widgets().aprsCount->text(), QString());
  for (int k = 0; k < static_cast<int>(Lamp::Count); ++k) {
    EXPECT_EQ(view.LampColour(static_cast<Lamp>(k)), kNavy) << LampKey(static_cast<Lamp>(k));
  }
  EXPECT_TRUE(window->Widgets().stopAudio->isChecked());
  EXPECT_FALSE(window->Widgets().startAudio->isChecked());
  EXPECT_TRUE(window->Widgets().stopRadio->isChecked());
  EXPECT_FALSE(window->Widgets().auxPanel->isEnabled());

  std::set<QString> hints;
  for (const QToolButton* button : window->findChildren<QToolButton*>()) {
    hints.insert(button->toolTip());
  }
  for (const char* hint : {"Start audio decoding",
                           "Stop audio decoding",
                           "Start SDR# remote control",
                           "Stop SDR# remote control",
                           "Export GPS track",
                           "Autocenter Map",
                           "Online/Offline Maps",
                           "Save Map On Disk",
                           "Increase Map zoom level",
                           "Decrease Map zoom level",
                           "Enable/Disable APRS",
                           "Monitoring Mode",
                           "Tracking Mode",
                           "Settings",
                           "Load RS41 RAW Data File",
                           "Load kml Ghost Track",
                           "Show position on google map",
                           "Show antenna rotor panel",
                           "Export Radiosonde Telemetry",
                           "About",
                           "Open Auxiliary Panel",
                           "Open audio signal monitor",
                           "Enable GPS IN interface",
                           "Open diagrams window",
                           "Offline map downloader",
                           "Map type selection"}) {
    EXPECT_EQ(hints.count(QString::fromUtf8(hint)), 1U) << hint;
  }
  std::set<QString> groups;
  for (const QGroupBox* group : window->findChildren<QGroupBox*>()) groups.insert(group->title());
  for (const char* title :
       {"RS41 Decoding", "Radio Control", "GPS Track",      "Map Control",
        "APRS",          "Tools",         "   Radio  I/F ", "   Signal processing ",
        "Rs41 Header ",  "Burst killer",  "Gps Time (UTC)", "Sub Frames ",
        "Temp ",         "Pressure ",     "Humidity ",      "Dew Point",
        "Gps Nav ",      "Tracking ",     "Events log ",    "Xdata "}) {
    EXPECT_EQ(groups.count(QString::fromUtf8(title)), 1U) << title;
  }
}

// A sonde of the current frame layout: UTC time, multi-GNSS satellites, no speed accuracy.
TEST_F(MainFormTest, CurrentLayoutSondeFillsTheWindow) {
  const std::string wav =
      Sim("current.wav",
          "--layout current --frames 6 --start-frame 3000 --id X1234567 --gps-week 2343 "
          "--gps-tow-ms 475263000 --lat 60.2 --lon 25.0 --alt 4400 --sats 12 --noise 4");
  auto window = MakeWindow(std::make_unique<FileAudioSource>(wav, FileAudioSource::Format::Wav));
  Start(*window);
  window->Widgets().startAudio->click();
  ASSERT_TRUE(window->Audio().Running());
  for (int k = 0; k < 6 * 2 + 4; ++k) window->Audio().Timer1Timer();

  const PanelView& view = window->Panels();
  EXPECT_EQ(view.Text(ReadOut::SondeId), "X1234567");
  EXPECT_EQ(view.Text(ReadOut::FrameNumber), "3005");
  // GPS 12:01:08 less 18 leap seconds, as the sonde sends it.
  EXPECT_EQ(view.Text(ReadOut::GpsTime), "2024/12/06 T12:00:50.000");
  EXPECT_EQ(view.Text(ReadOut::SatsUsed), "12");
  EXPECT_EQ(view.Text(ReadOut::SpeedAccuracy), "n/a");
  EXPECT_EQ(view.Text(ReadOut::Pdop), "n/a");
  EXPECT_EQ(view.Text(ReadOut::Latitude).substr(0, 6), "60.200");
  EXPECT_EQ(view.SatelliteLabel(0), "G5");
  EXPECT_EQ(view.SatelliteLabel(11), "G32");
  EXPECT_EQ(view.SatelliteBar(0), 0);
  EXPECT_TRUE(view.StatusPanel(1, 4).starts_with("Max Wind: ")) << view.StatusPanel(1, 4);
}

// The same audio through the window and through the command line's recorder gives the same
// texts, lamps, gauges and events.
TEST_F(MainFormTest, AtItsMinimumSizeNothingOverlapsAndTheMapIsWhatGrows) {
  auto window = MakeWindow();
  Start(*window);
  EXPECT_GE(window->minimumWidth(), 1024);
  EXPECT_GE(window->minimumHeight(), 700);
  const MainWidgets& w = window->Widgets();
  auto geometry = [&](QWidget* widget) {
    return QRect(widget->mapTo(window.get(), QPoint(0, 0)), widget->size());
  };
  window->resize(window->minimumSize());
  QApplication::processEvents();
  ASSERT_EQ(window->size(), window->minimumSize());
  // Every group of the two columns gets at least the room it asks for, side by side with the map.
  for (QWidget* column : {w.leftColumn, w.rightColumn}) {
    EXPECT_FALSE(geometry(column).intersects(geometry(w.mapImage)));
    for (QGroupBox* group :
         column->findChildren<QGroupBox*>(QString(), Qt::FindDirectChildrenOnly)) {
      EXPECT_GE(group->height(), group->minimumSizeHint().height()) << group->title().toStdString();
      EXPECT_GE(group->width(), group->minimumSizeHint().width()) << group->title().toStdString();
    }
  }
  EXPECT_GE(w.mapImage->width(), 300);
  if (const QString dir = qEnvironmentVariable("WINDLARK_SCREENSHOT_DIR"); !dir.isEmpty()) {
    window->grab().save(dir + QStringLiteral("/main-window-minimum.png"));
  }
  const int smallMap = w.mapImage->width();
  const int leftWidth = w.leftColumn->width();
  window->resize(window->minimumSize() + QSize(400, 200));
  QApplication::processEvents();
  EXPECT_EQ(w.mapImage->width(), smallMap + 400);
  EXPECT_EQ(w.leftColumn->width(), leftWidth);
}

TEST_F(MainFormTest, SyntheticFlightShowsWhatTheRecorderShows) {
  const std::string wav =
      Sim("flight.wav",
          "--frames 56 --start-frame 4200 --start-fragment 0 --id V4150123 --type RS41-SGP "
          "--freq-khz 404500 --burst-kill 1 --kill-timer 31200 --countdown 21600 --lat 52.21 "
          "--lon 14.12 --alt 5800 --vel-east 11.2 --vel-north 4.3 --vel-up 5.2 --noise 4 "
          "--xdata 050100000000");
  auto window = MakeWindow(std::make_unique<FileAudioSource>(wav, FileAudioSource::Format::Wav));
  Start(*window);
  window->Widgets().startAudio->click();
  ASSERT_TRUE(window->Audio().Running());
  constexpr int kTicks = 56 * 2 + 4;
  for (int k = 0; k < kTicks; ++k) window->Audio().Timer1Timer();

  PanelRecorder recorder;
  DecoderHooks hooks;
  DecoderSettings settings;
  settings.localeDecimalSeparator = LocaleDecimalSeparator();
  ReceiveChain chain(recorder, hooks, settings);
  const AppliedSettings defaults;
  SetHomePosition(chain.Context().home, defaults.homeLatitude, defaults.homeLongitude,
                  defaults.homeAltitudeM);
  // As "Start audio decoding" does.
  ShowInputSource(chain.Context(), window->Panels().StatusPanel(1, 1));
  chain.Lamps().SetLamp(Lamp::Input, kAqua);
  FileAudioSource file(wav, FileAudioSource::Format::Wav);
  AudioCapture capture(file, chain.Slicer());
  ASSERT_EQ(capture.Open(-1), 0);
  capture.Start();
  for (int k = 0; k < kTicks; ++k) chain.Tick(capture);

  const PanelView& view = window->Panels();
  ASSERT_EQ(view.Text(ReadOut::SondeId), "V4150123");
  ASSERT_FALSE(view.Text(ReadOut::Latitude).empty());
  for (int k = 0; k < static_cast<int>(ReadOut::Count); ++k) {
    const auto readOut = static_cast<ReadOut>(k);
    EXPECT_EQ(view.Text(readOut), recorder.Text(readOut)) << ReadOutKey(readOut);
  }
  for (int k = 0; k < static_cast<int>(Lamp::Count); ++k) {
    const auto lamp = static_cast<Lamp>(k);
    EXPECT_EQ(view.LampColour(lamp), recorder.LampColour(lamp)) << LampKey(lamp);
  }
  for (int k = 0; k < kSubFrameCount; ++k) {
    EXPECT_EQ(view.SubFrameColour(k), recorder.SubFrameColour(k)) << "sub frame " << k;
  }
  for (int k = 0; k < kSatelliteCount; ++k) {
    EXPECT_EQ(view.SatelliteLabel(k), recorder.Satellite(k).label) << "satellite " << k;
    EXPECT_EQ(view.SatelliteBar(k), recorder.Satellite(k).bar) << "satellite " << k;
  }
  for (int bar = 1; bar <= 2; ++bar) {
    for (int panel = 1; panel <= 4; ++panel) {
      EXPECT_EQ(view.StatusPanel(bar, panel), recorder.StatusPanel(bar, panel))
          << bar << "/" << panel;
    }
  }
  EXPECT_EQ(EventTexts(*window), recorder.Events());
  EXPECT_TRUE(window->Widgets().auxPanel->isEnabled()) << "an OIF411 was heard";
}

TEST_F(MainFormTest, StatusBarClickCopiesTheFlightSummary) {
  auto window = MakeWindow();
  Start(*window);
  AppliedSettings settings;
  settings.windSpeedUnit = SpeedUnit::KilometresPerHour;
  window->ApplySettings(settings);
  SondeState& state = window->Chain().State();
  state.maxAltitude = 12345.67;
  state.maxWindSpeed = 20.0;
  state.maxWindAltitude = 8000.04;
  state.maxWindDirection = 271.5;
  state.bestIsoTemperature = 0.26;
  state.bestIsoAltitude = 4321.0;
  QGuiApplication::clipboard()->clear();
  QTest::mouseClick(window->Widgets().statusBars[0]->Panel(3), Qt::LeftButton);
  EXPECT_EQ(QGuiApplication::clipboard()->text().toStdString(),
            "MaxAlt=12345.7m,Max Wind:72.0 km/h @8000.0m from 272°,Best ISO 0° (0.3°C): 4321.0m");
}

TEST_F(MainFormTest, StartAndStopFollowTheirLatches) {
  struct Case {
    int deviceIndex;
    int openedDevice;
    const char* source;
  };
  const Case cases[] = {{1, 1, "Input source: USB Receiver"},
                        {-1, -1, "Input source: Default input (Built-in Audio)"},
                        {2, -1, "Input source: Default input (Built-in Audio)"}};
  for (const Case& c : cases) {
    m_source = {};
    auto window = MakeWindow();
    Start(*window);
    AppliedSettings settings;
    settings.deviceIndex = c.deviceIndex;
    window->ApplySettings(settings);
    const MainWidgets& w = window->Widgets();
    const TAudioControl& audio = window->Audio();

    w.stopAudio->click();  // already stopped: nothing happens
    EXPECT_EQ(m_source.closes, 0);
    w.startAudio->click();
    w.startAudio->click();  // already running: the device is not opened again
    EXPECT_EQ(m_source.opens, 1);
    EXPECT_EQ(m_source.starts, 1);
    EXPECT_EQ(m_source.lastDevice, c.openedDevice);
    EXPECT_TRUE(w.startAudio->isChecked());
    EXPECT_TRUE(audio.Timer().isActive());
    EXPECT_EQ(audio.Timer().interval(), 100);
    EXPECT_EQ(window->Panels().LampColour(Lamp::Input), kAqua);
    EXPECT_EQ(window->Panels().StatusPanel(1, 1), c.source);

    w.stopAudio->click();
    w.stopAudio->click();
    EXPECT_EQ(m_source.closes, 1);
    EXPECT_TRUE(w.stopAudio->isChecked());
    EXPECT_FALSE(audio.Timer().isActive());
    EXPECT_EQ(window->Panels().LampColour(Lamp::Input), kNavy);
    EXPECT_EQ(window->Panels().StatusPanel(1, 1), "Input source: None");
    EXPECT_TRUE(m_prompts.messages.empty());
  }
}

TEST_F(MainFormTest, AutorunPressesStartWhenTheSettingsAreApplied) {
  auto window = MakeWindow();
  Start(*window);
  AppliedSettings settings;
  settings.startAudio = true;
  window->ApplySettings(settings);
  EXPECT_TRUE(window->Audio().Running());
  EXPECT_TRUE(window->Widgets().startAudio->isChecked());
  window->ApplySettings(settings);  // applied again while running: no second opening
  EXPECT_EQ(m_source.opens, 1);
}

TEST_F(MainFormTest, RefusedDeviceShowsTheMessageOnceAndStaysStopped) {
  auto window = MakeWindow(nullptr, 4);
  Start(*window);
  const MainWidgets& w = window->Widgets();
  w.startAudio->click();
  ASSERT_EQ(m_prompts.messages.size(), 1U);
  EXPECT_EQ(m_prompts.messages[0].first, Prompts::Icon::Error);
  EXPECT_EQ(m_prompts.messages[0].second, QStringLiteral("Unable to Open Audio Device"));
  EXPECT_TRUE(w.stopAudio->isChecked());
  EXPECT_FALSE(w.startAudio->isChecked());
  EXPECT_FALSE(window->Audio().Running());
  EXPECT_TRUE(window->Audio().StopLatch());
  EXPECT_FALSE(window->Audio().Timer().isActive());
  EXPECT_EQ(window->Panels().StatusPanel(1, 1), "Input source: None");
  EXPECT_EQ(window->Panels().LampColour(Lamp::Input), kNavy);
  w.stopAudio->click();
  EXPECT_EQ(m_source.closes, 0) << "a device that never opened is not closed";
  w.startAudio->click();
  EXPECT_EQ(m_source.opens, 2) << "every start tries the device again";
}

TEST_F(MainFormTest, EventsLogLinesCarryTheirTimeStamp) {
  auto window = MakeWindow();
  window->LogEvent("Ghost track cleared");
  const QString text = window->Widgets().eventsLog->toPlainText();
  EXPECT_TRUE(std::regex_match(text.toStdString(),
                               std::regex(R"(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d Ghost track cleared)")))
      << text.toStdString();
}

TEST_F(MainFormTest, SettingsButtonShowsTheDialogThenLoadsTheSettingsAgain) {
  auto window = MakeWindow();
  int loads = 0;
  window->SetIniFileLoader([&loads](TmainForm& form) {
    ++loads;
    AppliedSettings settings;
    settings.zoomLevel = 7;
    settings.zoomLabel = "07";
    form.ApplySettings(settings);
  });
  Start(*window);
  EXPECT_EQ(loads, 1) << "the start-up step loads the settings";
  EXPECT_EQ(window->Panels().Text(ReadOut::ZoomLevel), "07");
  window->Widgets().settings->click();
  EXPECT_EQ(loads, 1) << "no dialog yet: nothing to do";
  int shown = 0;
  window->SetSettingsDialog([&shown](TmainForm&) { ++shown; });
  window->Widgets().settings->click();
  EXPECT_EQ(shown, 1);
  EXPECT_EQ(loads, 2);
}

// Pixels where `chart` differs from the empty diagram, by colour. The window's diagram labels
// its mixing ratios in the user's locale.
std::map<QRgb, int> PlottedPixels(const QImage& chart) {
  TForm11 empty;
  empty.SetDecimalSeparator(LocaleDecimalSeparator());
  empty.DrawChart();
  std::map<QRgb, int> plotted;
  for (int y = 0; y < chart.height(); ++y) {
    for (int x = 0; x < chart.width(); ++x) {
      if (chart.pixel(x, y) != empty.Chart().pixel(x, y)) ++plotted[chart.pixel(x, y)];
    }
  }
  return plotted;
}

TEST_F(MainFormTest, ReplayedFlightWithInstrumentsFillsTheAuxiliaryWindows) {
  const std::string raw = RecordRaw(
      "--frames 60 --start-fragment 0 --id S3120042 --xdata 05038001186A01D06432 "
      "--xdata 3F02900040009000100000008080C800000007 --pressure-sensor --flight ascent "
      "--alt 600 --vel-up 6 --lat 52.21 --lon 14.12");
  auto window = MakeWindow(nullptr, 0, QString::fromStdString(raw));
  Start(*window);
  const MainWidgets& w = window->Widgets();
  Txdata& aux = window->AuxiliarySensors();
  TForm11& diagrams = window->Diagrams();
  EXPECT_FALSE(diagrams.isVisible());
  w.diagrams->click();
  EXPECT_TRUE(diagrams.isVisible());
  window->LogFileThreadCommander(static_cast<int>(ReplaySpeed::Max));
  ASSERT_TRUE(QTest::qWaitFor([&] { return !window->ReplayRunning(); }, 30000));

  EXPECT_TRUE(w.auxPanel->isEnabled());
  ASSERT_EQ(aux.PanelCount(), 2);
  EXPECT_NE(qobject_cast<TOIF411Frame*>(aux.Frame(3)), nullptr);
  EXPECT_NE(qobject_cast<TSkydewFrame*>(aux.Frame(2)), nullptr);
  aux.hide();
  w.auxPanel->click();
  EXPECT_TRUE(aux.isVisible()) << "the button brings the window back";

  // Temperature in black and dew point in blue, plotted while the window showed, and nothing
  // else drawn over the diagram.
  const std::map<QRgb, int> plotted = PlottedPixels(diagrams.Chart());
  EXPECT_GT(plotted.count(0xFF000000) != 0 ? plotted.at(0xFF000000) : 0, 0);
  EXPECT_GT(plotted.count(0xFF0000FF) != 0 ? plotted.at(0xFF0000FF) : 0, 0);
  EXPECT_EQ(plotted.size(), 2U);

  // Another sonde: the instruments are gone, and the diagram starts again.
  std::filesystem::remove_all(Path("raw"));
  const std::string other = RecordRaw("--frames 3 --start-fragment 0 --id S3120043");
  m_prompts.openAnswer = QString::fromStdString(other);
  w.loadRaw->click();
  window->LogFileThreadCommander(static_cast<int>(ReplaySpeed::Max));
  ASSERT_TRUE(QTest::qWaitFor([&] { return !window->ReplayRunning(); }, 30000));
  EXPECT_EQ(window->Panels().Text(ReadOut::SondeId), "S3120043");
  EXPECT_FALSE(w.auxPanel->isEnabled());
  EXPECT_FALSE(aux.HasPanels());
  EXPECT_FALSE(aux.isVisible());
  EXPECT_TRUE(PlottedPixels(diagrams.Chart()).empty());
}

TEST_F(MainFormTest, SignalMonitorShowsTheSoundInput) {
  const std::string wav = Sim("input.wav", "--frames 3 --noise 4");
  auto window = MakeWindow(std::make_unique<FileAudioSource>(wav, FileAudioSource::Format::Wav));
  Start(*window);
  TAudioSignalForm& monitor = window->SignalMonitor();
  const QImage blank = monitor.Bitmap().copy();
  window->Widgets().signalMonitor->click();
  ASSERT_TRUE(monitor.isVisible());
  const QPoint centre = window->frameGeometry().center();
  EXPECT_LE((monitor.frameGeometry().center() - centre).manhattanLength(), 4);
  window->Widgets().startAudio->click();
  for (int k = 0; k < 4; ++k) window->Audio().Timer1Timer();
  EXPECT_NE(monitor.Bitmap(), blank) << "the trace of the sound input is drawn";
}

}  // namespace
}  // namespace windlark
