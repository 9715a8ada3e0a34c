#include "app/ui/MainForm.h"

#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QClipboard>
#include <QCloseEvent>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QMoveEvent>
#include <QPixmap>
#include <QScreen>
#include <QToolButton>
#include <initializer_list>

#include "app/MainWindowTexts.h"
#include "app/Version.h"
#include "app/ui/AboutBox.h"
#include "app/ui/AudioControl.h"
#include "app/ui/Charts.h"
#include "app/ui/ModalPrompts.h"
#include "app/ui/SettingsBinding.h"
#include "app/ui/SettingsForm.h"
#include "app/ui/StatusBarPanels.h"
#include "base/Format.h"
#include "base/io/LocaleSeparator.h"
#include "records/io/LogFileLoader.h"
#include "records/ui/ExportControl.h"
#include "records/ui/ReplayControlForm.h"
#include "signal/io/QtAudioSource.h"
#include "signal/ui/AudioSignalMonitor.h"
#include "xdata/ui/xdataUnit.h"

namespace windlark {

namespace {

// Design size: the map image about 850 x 600 between the two columns.
constexpr int kDesignWidth = 1400;
constexpr int kDesignHeight = 900;
// The smallest window in which the columns, tool bar and status bars show whole.
constexpr int kMinimumWidth = 1024;
constexpr int kMinimumHeight = 700;
const QColor kMapBackground(240, 240, 240);

TmainForm::Options WithDefaults(TmainForm::Options options) {
  if (!options.audioSource) {
    options.audioSource = [] { return std::make_unique<QtAudioSource>(); };
  }
  if (!options.deviceNames) options.deviceNames = &QtAudioSource::InputDeviceNames;
  if (!options.defaultDeviceName) options.defaultDeviceName = &QtAudioSource::DefaultInputName;
  return options;
}

}  // namespace

TmainForm::TmainForm(Options options, QWidget* parent)
    : QMainWindow(parent), m_options(WithDefaults(std::move(options))) {
  setObjectName(QStringLiteral("TmainForm"));
  m_prompts =
      m_options.prompts ? *m_options.prompts : Prompts::Dialogs(this, ToQString(kApplicationTitle));
  BuildMainWidgets(*this, m_w);
  FormCreate();
  ConnectButtons();
}

TmainForm::~TmainForm() {
  Shutdown();
}

void TmainForm::FormCreate() {
  DecoderSettings decoderSettings;
  decoderSettings.localeDecimalSeparator = LocaleDecimalSeparator();
  // The chain shows the design-time texts and resets the decoder, which empties every panel.
  m_chain = std::make_unique<ReceiveChain>(m_view, *this, decoderSettings);
  m_audio = std::make_unique<TAudioControl>(*m_chain, m_options.audioSource(), *m_w.startAudio,
                                            *m_w.stopAudio);
  m_audio->SetRefusalHandler([this](const std::string& reason) {
    if (!reason.empty()) LogEvent(reason);
    m_prompts.message(Prompts::Icon::Error, ToQString(kUnableToOpenAudioText));
  });
  setWindowTitle(ToQString(WindowCaption(kVersionMajor, kVersionMinor)));
  m_w.aprsCount->clear();
  // Hidden until asked for, created once in the order the program has always had them.
  CreateSettings();
  m_about = new TAboutBox(this);
  m_about->setWindowFlag(Qt::WindowStaysOnTopHint);
  m_exports = std::make_unique<TExportControl>(
      *this, *m_w.exportGps, *m_w.exportTelemetry, m_prompts, [this] {
        const SondeState& state = m_chain->State();
        return ExportData{m_chain->Log().Snapshot(), state.sondeId, state.launchTimeText};
      });
  m_replayControl = new TReplayControlForm(this);
  CreateAuxiliaryWindows();
  // Never smaller than the panels need, so nothing overlaps or clips; the map takes the rest.
  setMinimumSize(QSize(kMinimumWidth, kMinimumHeight).expandedTo(minimumSizeHint()));
  const QRect screenArea = screen()->availableGeometry();
  resize(QSize(std::min(kDesignWidth, screenArea.width()),
               std::min(kDesignHeight, screenArea.height()))
             .expandedTo(minimumSize()));
}

void TmainForm::CreateSettings() {
  m_deviceNames = m_options.deviceNames();
  if (!m_options.settingsStore) return;
  m_settingsForm = new TSettingsForm(m_deviceNames, m_options.settingsPrompts, this);
  // Above the always-on-top tool windows (signal monitor, auxiliary sensors), which would
  // otherwise cover the modal dialog that blocks them.
  m_settingsForm->setWindowFlag(Qt::WindowStaysOnTopHint);
  m_settingsBinding = std::make_unique<SettingsBinding>(
      *m_options.settingsStore, *m_settingsForm,
      [this](const AppliedSettings& applied) { ApplySettings(applied); });
  SetIniFileLoader([](TmainForm& window) { window.m_settingsBinding->Load(); });
  // The dialog saves on OK before it closes; "Settings" then loads the file again.
  SetSettingsDialog([](TmainForm& window) {
    ModalPrompts& prompts = window.m_options.settingsPrompts != nullptr
                                ? *window.m_options.settingsPrompts
                                : DefaultPrompts();
    prompts.RunModal(*window.m_settingsForm);
  });
}

void TmainForm::CreateAuxiliaryWindows() {
  m_signalMonitor = new TAudioSignalForm(this);
  m_audio->Capture().SetMonitor(m_signalMonitor);
  m_diagrams = new TForm11(this);
  m_diagrams->SetDecimalSeparator(LocaleDecimalSeparator());
  m_xdata = std::make_unique<Txdata>(m_chain->Instruments(), this);
  m_xdata->SetAnchorSource([this] { return pos(); });
}

void TmainForm::ConnectButtons() {
  connect(m_w.startAudio, &QToolButton::clicked, this, &TmainForm::SBStartAudioClick);
  connect(m_w.stopAudio, &QToolButton::clicked, this, &TmainForm::SBStopAudioClick);
  connect(m_w.startRadio, &QToolButton::clicked, this, &TmainForm::SBStartRadioClick);
  connect(m_w.stopRadio, &QToolButton::clicked, this, &TmainForm::SBStopRadioClick);
  connect(m_w.loadRaw, &QToolButton::clicked, this, &TmainForm::SBLoadRawFileClick);
  connect(m_w.loadKml, &QToolButton::clicked, this, &TmainForm::SBLoadKmlClick);
  connect(m_w.googleMap, &QToolButton::clicked, this, &TmainForm::SBGoogleMapClick);
  connect(m_w.settings, &QToolButton::clicked, this, &TmainForm::SBSettingsClick);
  connect(m_w.about, &QToolButton::clicked, this, &TmainForm::SBAboutClick);
  connect(m_w.auxPanel, &QToolButton::clicked, this, &TmainForm::SBAuxPanelClick);
  connect(m_w.signalMonitor, &QToolButton::clicked, this, &TmainForm::SBSignalMonitorClick);
  connect(m_w.diagrams, &QToolButton::clicked, this, &TmainForm::SBDiagramsClick);
  connect(m_w.aprsEnable, &QToolButton::clicked, this, &TmainForm::SpeedButton5Click);
  connect(m_w.mapType, &QToolButton::clicked, this, &TmainForm::SpeedButton15Click);
  connect(m_w.exportGps, &QToolButton::clicked, m_exports.get(), &TExportControl::ExportTrack);
  connect(m_w.exportTelemetry, &QToolButton::clicked, m_exports.get(),
          &TExportControl::ExportTelemetry);
  connect(m_w.statusBars[0], &TStatusBarPanels::Clicked, this, &TmainForm::StatusBar1Click);
  connect(m_w.adjust, &QCheckBox::toggled, this,
          [this](bool checked) { m_chain->Slicer().SetAdjust(checked); });
  for (QAction* entry : {m_w.openStreetMap, m_w.openTopoMap}) {
    connect(entry, &QAction::triggered, this, [this, entry] {
      // The map engine takes the type once it exists; the menu already keeps the choice.
      m_w.openStreetMap->setChecked(entry == m_w.openStreetMap);
      m_w.openTopoMap->setChecked(entry == m_w.openTopoMap);
    });
  }
  // The replay window's choices arrive as a posted message, as the worker's end does.
  connect(m_replayControl, &TReplayControlForm::Command, this, &TmainForm::LogFileThreadCommander,
          Qt::QueuedConnection);
}

void TmainForm::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (m_showHandled) return;
  m_showHandled = true;
  QMetaObject::invokeMethod(this, &TmainForm::WMStartup, Qt::QueuedConnection);
}

void TmainForm::WMStartup() {
  if (m_started || m_shutDown) return;
  LoadIniFile();
  m_started = true;
  FormResize();
  emit StartupDone();
  if (!m_options.replayFile.isEmpty()) StartReplay(m_options.replayFile);
}

void TmainForm::LoadIniFile() {
  if (m_iniLoader) {
    m_iniLoader(*this);
  } else {
    ApplySettings(AppliedSettings{});
  }
}

void TmainForm::ApplySettings(const AppliedSettings& settings) {
  m_settings = settings;
  const bool listed = settings.deviceIndex >= 0 &&
                      static_cast<std::size_t>(settings.deviceIndex) < m_deviceNames.size();
  if (listed) {
    m_audio->SetDevice(settings.deviceIndex,
                       m_deviceNames[static_cast<std::size_t>(settings.deviceIndex)]);
  } else {
    m_audio->SetDevice(-1, DefaultInputText(m_options.defaultDeviceName()));
  }
  if (settings.startAudio && !ReplayRunning()) SBStartAudioClick();
  if (settings.startRadio && !ReplayRunning()) SBStartRadioClick();

  m_w.openStreetMap->setChecked(settings.mapType != 2);
  m_w.openTopoMap->setChecked(settings.mapType == 2);
  m_w.mapNet->setChecked(settings.onlineMaps);
  m_w.mapDownload->setEnabled(settings.saveMapEnabled);
  m_w.mapDownload->setChecked(settings.saveMapOnDisk);

  DecodeContext& ctx = m_chain->Context();
  ctx.settings.defaultZoom = settings.zoomLevel;
  m_view.SetText(ReadOut::ZoomLevel, settings.zoomLabel);
  // The sonde starts at home: ranges and bearings mean something before the first fix.
  SetHomePosition(ctx.home, settings.homeLatitude, settings.homeLongitude, settings.homeAltitudeM);
  m_chain->State().latitude = settings.homeLatitude;
  m_chain->State().longitude = settings.homeLongitude;

  m_chain->SetRawCapture(settings.saveRaw, settings.rawDir,
                         [this](const std::string& error) { ShowRawCaptureError(error); });
  m_lastCaptureError.clear();
  // Without a settings file the panel keeps its first text.
  if (!settings.rawStatus.empty()) m_view.SetStatusPanel(2, 2, settings.rawStatus);

  ctx.settings.windSpeedUnit = settings.windSpeedUnit;
  ctx.settings.verticalSpeedUnit = settings.verticalSpeedUnit;

  m_w.aprsEnable->setEnabled(settings.aprsEnabled && !ReplayRunning());
  m_w.monitoring->setEnabled(settings.aprsEnabled);
  m_w.tracking->setEnabled(settings.aprsEnabled);
  m_w.gpsIn->setEnabled(settings.gpsInEnabled);

  if (!settings.rawMessage.empty()) {
    m_prompts.message(Prompts::Icon::Error, ToQString(settings.rawMessage));
  }
}

void TmainForm::ShowRawCaptureError(const std::string& error) {
  // The same failure repeats with every frame; the log says it once.
  if (error == m_lastCaptureError) return;
  m_lastCaptureError = error;
  LogEvent("Raw file not written: " + error);
}

void TmainForm::SBStartAudioClick() {
  m_audio->StartAudioDecoding();
}

void TmainForm::SBStopAudioClick() {
  m_audio->StopAudioDecoding();
}

void TmainForm::SBStartRadioClick() {
  // The SDR# remote control starts here once it exists; until then the pair stays stopped.
  m_w.stopRadio->setChecked(true);
}

void TmainForm::SBStopRadioClick() {
  m_w.stopRadio->setChecked(true);
}

void TmainForm::SpeedButton5Click() {
  // Connecting to APRS-IS is the APRS client's; the button only keeps its state until then.
}

void TmainForm::SpeedButton15Click() {
  m_w.mapTypeMenu->popup(m_w.mapType->mapToGlobal(QPoint(0, m_w.mapType->height())));
}

void TmainForm::SBSettingsClick() {
  if (!m_settingsDialog) return;
  // Read again, so a sound device plugged in since start-up can be chosen.
  m_deviceNames = m_options.deviceNames();
  if (m_settingsForm != nullptr) m_settingsForm->SetAudioDevices(m_deviceNames);
  m_settingsDialog(*this);
  LoadIniFile();
}

void TmainForm::SBAboutClick() {
  m_about->exec();
}

void TmainForm::SBAuxPanelClick() {
  m_xdata->OpenAuxiliaryPanel();
}

void TmainForm::SBSignalMonitorClick() {
  m_signalMonitor->OpenMonitor(frameGeometry());
}

void TmainForm::SBDiagramsClick() {
  m_diagrams->OpenDiagrams(m_chain->Log());
}

void TmainForm::SBGoogleMapClick() {
  const std::optional<TelemetryPoint> last = m_chain->Log().Last();
  if (!last) {
    m_prompts.message(Prompts::Icon::Error, ToQString(kNoCoordinatesText));
    return;
  }
  m_prompts.openUrl(ToQString(GoogleMapsPlaceUrl(last->latitude, last->longitude)));
}

void TmainForm::StatusBar1Click() {
  QApplication::clipboard()->setText(
      ToQString(FlightSummaryText(m_chain->State(), m_chain->Context().settings.windSpeedUnit)));
}

void TmainForm::SBLoadKmlClick() {
  if (m_w.loadKml->isChecked()) {
    LoadGhostTrack();
  } else {
    ClearGhostTrack();
  }
}

void TmainForm::LoadGhostTrack() {
  const QString file = m_prompts.openFile(
      {QStringLiteral("load kml file"), {QStringLiteral("kml file (*.kml)")}, QString()});
  if (file.isEmpty()) {
    m_w.loadKml->setChecked(false);
    return;
  }
  GhostTrackLoad load = LoadGhostTrackFile(file.toStdString());
  if (!load.ok) {
    m_w.loadKml->setChecked(false);
    m_prompts.message(Prompts::Icon::Error, ToQString(load.message));
    return;
  }
  m_ghostTrack = std::move(load.track);
  LogEvent(load.message);
}

void TmainForm::ClearGhostTrack() {
  m_ghostTrack.ClearGhostTrack();
  LogEvent(kGhostTrackClearedText);
}

void TmainForm::UpdateOSMMap(int wParam, int lParam) {
  if (lParam == 0) {
    m_view.SetStatusPanel(2, 1, "Downloaded Maps : " + FormatInt(wParam));
  }
}

void TmainForm::AprsFeedback(int /*state*/) {}

void TmainForm::CheckUpdateVersion(int /*result*/) {}

void TmainForm::OnNewSonde() {
  m_w.auxPanel->setEnabled(false);
  // The chain resets the decoder while the window is being made, before the diagrams exist.
  if (m_diagrams != nullptr) m_diagrams->DrawChart();
}

void TmainForm::EnableAuxiliaryPanel() {
  m_w.auxPanel->setEnabled(true);
}

void TmainForm::PlotPoint(const TelemetryPoint& point) {
  if (m_diagrams != nullptr && m_diagrams->isVisible()) m_diagrams->PlotPoint(point);
}

void TmainForm::resizeEvent(QResizeEvent* event) {
  QMainWindow::resizeEvent(event);
  if (m_started) FormResize();
}

void TmainForm::moveEvent(QMoveEvent* event) {
  QMainWindow::moveEvent(event);
  if (m_replayControl != nullptr && m_replayControl->isVisible()) {
    m_replayControl->move(m_replayControl->pos() + event->pos() - event->oldPos());
  }
}

void TmainForm::FormResize() {
  // The map engine draws here once it exists; until then the image is its empty background.
  const QSize size = m_w.mapImage->contentsRect().size();
  if (size.isEmpty()) return;
  QImage image(size, QImage::Format_RGB32);
  image.fill(kMapBackground);
  m_w.mapImage->setPixmap(QPixmap::fromImage(image));
}

void TmainForm::SBLoadRawFileClick() {
  if (m_rawLatch) return;
  const QString file = m_prompts.openFile(
      {QStringLiteral("Load RS41 RAW Data File"),
       {QStringLiteral("RS41 raw data file (*.txt)"), QStringLiteral("All files (*)")},
       QString::fromStdString(m_settings.rawDir)});
  if (file.isEmpty()) {
    m_w.loadRaw->setChecked(false);
    return;
  }
  StartReplay(file);
}

void TmainForm::StartReplay(const QString& file) {
  if (m_rawLatch) return;
  SBStopAudioClick();
  SBStopRadioClick();
  for (QToolButton* button :
       {m_w.startAudio, m_w.stopAudio, m_w.startRadio, m_w.stopRadio, m_w.loadKml, m_w.settings}) {
    button->setEnabled(false);
  }
  ShowInputSource(m_chain->Context(), InputSourceText(QFileInfo(file).fileName().toStdString()));
  if (m_w.aprsEnable->isChecked()) {
    m_w.aprsEnable->setChecked(false);
    SpeedButton5Click();
  }
  m_w.aprsEnable->setEnabled(false);

  m_rawLatch = true;
  m_w.loadRaw->setChecked(true);
  m_w.loadRaw->setEnabled(false);
  m_replayError.clear();
  m_loader = std::make_unique<TLogFileLoader>(
      file, this, [this](const RawFrame& frame) { DecodeReplayFrame(frame); });
  connect(m_loader.get(), &TLogFileLoader::Message, this,
          [this](const QString& text) { LogEvent(text.toStdString()); });
  connect(m_loader.get(), &TLogFileLoader::OpenFailed, this,
          [this](const QString& text) { m_replayError = text; });
  connect(m_loader.get(), &QThread::finished, this,
          [this] { LogFileThreadCommander(kReplayFinished); });
  m_replayControl->SetPosition(static_cast<int>(ReplaySpeed::Normal));
  // In the top right corner of the map, beside the right-hand column, its title bar clear of
  // the tool bar.
  constexpr int kGap = 4;
  constexpr int kTitleBarRoom = 28;
  const QPoint panel = m_w.rightColumn->mapToGlobal(QPoint(0, 0));
  const QPoint map = m_w.mapImage->mapToGlobal(QPoint(0, 0));
  m_replayControl->move(panel.x() - m_replayControl->frameGeometry().width() - kGap,
                        map.y() + kTitleBarRoom);
  m_replayControl->show();
  m_loader->start();
}

void TmainForm::DecodeReplayFrame(const RawFrame& frame) {
  DecodeFrame(frame, m_chain->State(), m_chain->Log(), m_chain->Context());
  ShowReplayLaunchTime(m_chain->State(), m_view);
}

void TmainForm::LogFileThreadCommander(int command) {
  if (command == kReplayFinished) {
    EndReplay();
    return;
  }
  if (!m_loader) return;
  if (command == kReplayTerminate) {
    m_loader->Terminate();
  } else if (command >= 0 && command < TReplayControlForm::kPositions) {
    m_loader->SetSpeed(static_cast<ReplaySpeed>(command));
  }
}

void TmainForm::EndReplay() {
  if (!m_loader) return;
  m_loader->wait();
  m_loader.reset();
  m_rawLatch = false;
  m_w.loadRaw->setChecked(false);
  m_w.loadRaw->setEnabled(true);
  for (QToolButton* button :
       {m_w.startAudio, m_w.stopAudio, m_w.startRadio, m_w.stopRadio, m_w.loadKml, m_w.settings}) {
    button->setEnabled(true);
  }
  m_w.aprsEnable->setEnabled(m_settings.aprsEnabled);
  ShowReplayFinished(m_chain->Context());
  m_replayControl->hide();
  m_replayControl->SetPosition(static_cast<int>(ReplaySpeed::Normal));
  if (!m_replayError.isEmpty()) m_prompts.message(Prompts::Icon::Error, m_replayError);
  emit ReplayFinished();
}

void TmainForm::closeEvent(QCloseEvent* event) {
  Shutdown();
  QMainWindow::closeEvent(event);
}

void TmainForm::Shutdown() {
  if (m_shutDown) return;
  m_shutDown = true;
  if (m_loader) {
    m_loader->Terminate();
    m_loader->wait();
    m_loader.reset();
  }
  if (m_audio) m_audio->StopAudioDecoding();
  if (m_exports) m_exports->Shutdown();
  for (QWidget* window : std::initializer_list<QWidget*>{
           m_replayControl, m_signalMonitor, m_diagrams, m_xdata.get(), m_settingsForm}) {
    if (window != nullptr) window->hide();
  }
}

}  // namespace windlark
