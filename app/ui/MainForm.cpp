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
#include <QTimer>
#include <QToolButton>
#include <algorithm>
#include <initializer_list>

#include "app/MainWindowTexts.h"
#include "app/Version.h"
#include "app/io/CheckUpdate.h"
#include "app/ui/AboutBox.h"
#include "app/ui/AudioControl.h"
#include "app/ui/Charts.h"
#include "app/ui/Form8.h"
#include "app/ui/Glyphs.h"
#include "app/ui/LampShape.h"
#include "app/ui/ModalPrompts.h"
#include "app/ui/SettingsBinding.h"
#include "app/ui/SettingsForm.h"
#include "app/ui/StatusBarPanels.h"
#include "aprs/AprsLines.h"
#include "aprs/io/Aprs.h"
#include "aprs/ui/AprsPanel.h"
#include "aprs/ui/Form10.h"
#include "base/Format.h"
#include "base/io/LocaleSeparator.h"
#include "decoder/FlightState.h"
#include "gps/ChaseMap.h"
#include "gps/io/ChaseMapPublisher.h"
#include "gps/ui/GpsInUnit.h"
#include "map/ui/DynamicMap.h"
#include "map/ui/MapDownloaderUnit.h"
#include "map/ui/MapImage.h"
#include "records/io/LogFileLoader.h"
#include "records/ui/ExportControl.h"
#include "records/ui/ReplayControlForm.h"
#include "rotor/ui/RotorHandler.h"
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

TmainForm::Options WithDefaults(TmainForm::Options options) {
  if (!options.audioSource) {
    options.audioSource = [] { return std::make_unique<QtAudioSource>(); };
  }
  if (!options.deviceNames) options.deviceNames = &QtAudioSource::InputDeviceNames;
  if (!options.defaultDeviceName) options.defaultDeviceName = &QtAudioSource::DefaultInputName;
  if (!options.aprsClient) options.aprsClient = [] { return std::make_unique<TAprs>(); };
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
  m_form8 = new TForm8(this);
  m_form8->SetOpenUrl([this](const QString& url) { m_prompts.openUrl(url); });
  m_replayControl = new TReplayControlForm(this);
  CreateAuxiliaryWindows();
  m_timerCheckVer = new QTimer(this);
  m_timerCheckVer->setInterval(5000);
  m_timerCheckVer->setSingleShot(true);
  m_chaseMap = new TChaseMapPublisher(this);
  m_chain->SetFrameObserver([this](const RawFrame& frame, const FrameChecks& checks) {
    UploadFrame(frame, checks, false);
  });
  if (!m_options.positionOutFile.isEmpty()) {
    m_positionOut = std::make_unique<PositionOutWriter>(m_options.positionOutFile.toStdString());
  }
  CreateMap();
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
  m_gpsInForm = new TGpsInForm(this);
  m_aprsPanel = new TAprsPanel(this);
  m_aprsPanel->SetUrlOpener([this](const QString& url) { m_prompts.openUrl(url); });
  m_form10 = new TForm10(this);
  CreateAprs();
  CreateRadioControl();
}

void TmainForm::CreateAprs() {
  // Made here and started by the start-up step: the settings reach it before it runs.
  m_aprs = m_options.aprsClient();
  m_aprs->SetLocaleSeparator(LocaleDecimalSeparator());
  m_aprs->moveToThread(&m_aprsThread);
  m_aprsThread.setObjectName(QStringLiteral("TAprs"));
  connect(&m_aprsThread, &QThread::started, m_aprs.get(), &TAprs::Execute);
  connect(m_aprs.get(), &TAprs::Feedback, this, &TmainForm::AprsFeedback, Qt::QueuedConnection);
  connect(
      m_aprs.get(), &TAprs::SondesChanged, this, [this] { UpdateOSMMap(0, 1); },
      Qt::QueuedConnection);
  connect(
      m_aprs.get(), &TAprs::LampChanged, this,
      [this](int lamp, int red, int green, int blue) {
        if (lamp >= 0 && lamp < static_cast<int>(m_w.aprsLamps.size())) {
          m_w.aprsLamps[static_cast<std::size_t>(lamp)]->SetColour(QColor(red, green, blue));
        }
      },
      Qt::QueuedConnection);
  connect(
      m_aprs.get(), &TAprs::CountText, this,
      [this](const QString& text) { m_w.aprsCount->setText(text); }, Qt::QueuedConnection);
  connect(
      m_aprs.get(), &TAprs::SentText, this,
      [this](const QString& text) { m_w.aprsState->setText(text); }, Qt::QueuedConnection);
  connect(
      m_aprs.get(), &TAprs::TrackingReport, this,
      [this](const TrackingPanelTexts& texts) {
        if (m_trackingActive) m_aprsPanel->ShowReport(texts);
      },
      Qt::QueuedConnection);
  m_aprsTimer = new QTimer(this);
  m_aprsTimer->setInterval(60000);
  connect(m_aprsTimer, &QTimer::timeout, this, &TmainForm::AprsTimerTimer);
  // Both modes can be up at once (while not connected): the window keeps them apart itself.
  m_w.aprsModes->setExclusive(false);
  m_w.monitoring->setEnabled(false);
  m_w.tracking->setEnabled(false);
  SetAprsImage("APRS_START");
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
  connect(m_w.gpsIn, &QToolButton::clicked, this, &TmainForm::SBGpsInClick);
  connect(m_w.rotor, &QToolButton::clicked, this, &TmainForm::SBRotorClick);
  connect(m_timerCheckVer, &QTimer::timeout, this, &TmainForm::TimerCheckVerTimer);
  // The about box's button posts the manual check.
  connect(m_about, &TAboutBox::CheckForUpdates, this, [this] {
    QMetaObject::invokeMethod(
        this, [this] { CheckUpdateVersion(0); }, Qt::QueuedConnection);
  });
  connect(m_w.aprsEnable, &QToolButton::clicked, this, &TmainForm::SpeedButton5Click);
  connect(m_w.monitoring, &QToolButton::clicked, this, &TmainForm::SpeedButton6Click);
  connect(m_w.tracking, &QToolButton::clicked, this, &TmainForm::SpeedButton7Click);
  connect(m_w.mapType, &QToolButton::clicked, this, &TmainForm::SpeedButton15Click);
  connect(m_w.exportGps, &QToolButton::clicked, m_exports.get(), &TExportControl::ExportTrack);
  connect(m_w.exportTelemetry, &QToolButton::clicked, m_exports.get(),
          &TExportControl::ExportTelemetry);
  connect(m_w.statusBars[0], &TStatusBarPanels::Clicked, this, &TmainForm::StatusBar1Click);
  connect(m_w.adjust, &QCheckBox::toggled, this,
          [this](bool checked) { m_chain->Slicer().SetAdjust(checked); });
  ConnectMap();
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
  m_aprsThread.start();
  m_started = true;
  FormResize();
  m_map->SetAprsSondes(m_aprsSondes);
  const HomePosition& home = m_chain->Context().home;
  m_map->CenterOnMap(m_map->GetZoom(), home.mapX, home.mapY);
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
  m_chain->SetDemodulator(settings.demodulator);
  const bool listed = settings.deviceIndex >= 0 &&
                      static_cast<std::size_t>(settings.deviceIndex) < m_deviceNames.size();
  if (listed) {
    m_audio->SetDevice(settings.deviceIndex,
                       m_deviceNames[static_cast<std::size_t>(settings.deviceIndex)]);
  } else {
    m_audio->SetDevice(-1, DefaultInputText(m_options.defaultDeviceName()));
  }
  if (settings.startAudio && !ReplayRunning()) SBStartAudioClick();
  ApplyRadioSettings(settings);
  if (settings.startRadio && !ReplayRunning()) SBStartRadioClick();

  m_w.openStreetMap->setChecked(settings.mapType != 2);
  m_w.openTopoMap->setChecked(settings.mapType == 2);
  m_w.mapNet->setChecked(settings.onlineMaps);
  m_w.mapDownload->setEnabled(settings.saveMapEnabled);
  m_w.mapDownload->setChecked(settings.saveMapOnDisk);

  DecodeContext& ctx = m_chain->Context();
  ctx.settings.defaultZoom = settings.zoomLevel;
  // The sonde starts at home: ranges and bearings mean something before the first fix.
  ApplyHomePosition(settings.homeLatitude, settings.homeLongitude, settings.homeAltitudeM);
  ApplyMapSettings(settings);
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
  if (!settings.aprsEnabled) {
    m_w.monitoring->setEnabled(false);
    m_w.tracking->setEnabled(false);
  }
  m_aprs->SetLoginData(settings.aprsLogin);
  m_aprs->SetHome(ctx.home);
  if (settings.startAprs && !m_w.aprsEnable->isChecked() && m_w.aprsEnable->isEnabled()) {
    m_w.aprsEnable->setChecked(true);
    SpeedButton5Click();
  }
  // A running reader stays usable so that it can be switched off.
  m_w.gpsIn->setEnabled(settings.gpsInEnabled || GpsRunning());
  m_chaseMap->Configure(settings.gps.chaseMapFeed, ToQString(settings.gps.chaseMapHost),
                        settings.gps.chaseMapPort);
  m_lastChaseMapError.clear();
  ConfigureSondeHub(settings);
  m_form8->SetWebPage(ToQString(settings.webPageUrl));
  if (settings.checkUpdates && m_options.checkForUpdates) {
    m_timerCheckVer->start();
  } else {
    m_timerCheckVer->stop();
  }

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

void TmainForm::SpeedButton5Click() {
  if (m_w.aprsEnable->isChecked()) {
    m_aprsSmallMarkers = false;
    m_aprs->RequestConnect();
    return;
  }
  m_aprs->RequestDisconnect();
  m_aprsTimer->stop();
  SetAprsModes(false, false);
  m_w.monitoring->setEnabled(false);
  m_w.tracking->setEnabled(false);
  m_monitoringActive = false;
  m_trackingActive = false;
  m_aprsPanel->hide();
  if (m_aprs->IsConnected()) LogEvent(kAprsDisconnectedText);
  SetAprsImage("APRS_START");
}

void TmainForm::SpeedButton6Click() {
  // A pressed mode button stays down when clicked again.
  SetAprsModes(true, false);
  if (m_monitoringActive) return;
  m_monitoringActive = true;
  m_trackingActive = false;
  m_aprs->StartMonitoring();
  m_aprsPanel->hide();
  m_aprsSmallMarkers = false;
  UpdateOSMMap(0, 1);
}

void TmainForm::SpeedButton7Click() {
  SetAprsModes(false, true);
  if (m_trackingActive) return;
  const std::vector<std::string> names = m_aprs->SondeNames();
  if (names.empty()) {
    m_prompts.message(
        Prompts::Icon::Error,
        QStringLiteral("No radiosonde received from APRS server.\rtrack not available."));
    RestoreMonitoringButtons();
    return;
  }
  if (names.size() == 1) {
    StartTrackingSonde(names.front());
    return;
  }
  m_form10->SetNames(names);
  ModalPrompts& prompts =
      m_options.settingsPrompts != nullptr ? *m_options.settingsPrompts : DefaultPrompts();
  m_form10->adjustSize();
  m_form10->move(frameGeometry().center() - m_form10->rect().center());
  const int result = prompts.RunModal(*m_form10);
  const QString chosen = m_form10->SelectedName();
  if (result == QDialog::Accepted && !chosen.isEmpty()) {
    StartTrackingSonde(chosen.toStdString());
  } else {
    RestoreMonitoringButtons();
  }
}

void TmainForm::StartTrackingSonde(const std::string& name) {
  m_trackingActive = true;
  m_monitoringActive = false;
  SetAprsModes(false, true);
  m_aprs->StartTracking(name);
  m_aprsPanel->ResetPanel();
  m_aprsPanel->adjustSize();
  const int column = m_w.rightColumn->mapTo(this, QPoint(0, 0)).x();
  m_aprsPanel->move(x() + column - m_aprsPanel->frameGeometry().width() + 5, y() + 87);
  m_aprsPanel->show();
  m_aprsSmallMarkers = true;
  UpdateOSMMap(0, 1);
}

void TmainForm::RestoreMonitoringButtons() {
  SetAprsModes(true, false);
  m_monitoringActive = true;
  m_trackingActive = false;
}

void TmainForm::SetAprsModes(bool monitoringDown, bool trackingDown) {
  m_w.monitoring->setChecked(monitoringDown);
  m_w.tracking->setChecked(trackingDown);
}

void TmainForm::SetAprsImage(const char* image) {
  const Glyph glyph = std::string_view(image) == "APRS_GOOD"   ? Glyph::AprsGood
                      : std::string_view(image) == "APRS_FAIL" ? Glyph::AprsFail
                                                               : Glyph::Aprs;
  m_w.aprsEnable->setIcon(GlyphIcon(glyph));
  m_w.aprsEnable->setProperty("image", QString::fromLatin1(image));
}

void TmainForm::AprsTimerTimer() {
  m_aprs->MinuteTick();
}

std::vector<AprsSonde> TmainForm::AprsSondes() const {
  return m_aprs->Sondes();
}

bool TmainForm::AprsConnected() const {
  return m_aprs && m_aprs->IsConnected();
}

void TmainForm::QueueObjectReport(const ObjectReport& report) {
  m_aprs->QueueObjectReport(report);
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
  // Saved with OK: the map shows the (perhaps new) home at the default zoom.
  if (m_settingsForm != nullptr && m_settingsForm->result() == QDialog::Accepted && m_started) {
    const HomePosition& home = m_chain->Context().home;
    ShowZoom(m_settings.zoomLevel);
    m_map->CenterOnMap(std::min(m_settings.zoomLevel, m_maxZoom), home.mapX, home.mapY);
  }
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
  m_map->SetGhostTrack(m_ghostTrack.Points());
  m_map->RedrawAll();
}

void TmainForm::ClearGhostTrack() {
  m_ghostTrack.ClearGhostTrack();
  LogEvent(kGhostTrackClearedText);
  m_map->SetGhostTrack({});
  m_map->RedrawAll();
}

void TmainForm::UpdateOSMMap(int wParam, int lParam) {
  if (lParam == 0) {
    m_view.SetStatusPanel(2, 1, "Downloaded Maps : " + FormatInt(wParam));
  } else if (lParam == 1 && m_aprs && m_map != nullptr) {
    // The APRS sondes changed: the map draws a copy of the client's list.
    std::vector<MapAprsSonde> markers;
    for (const AprsSonde& sonde : AprsSondes()) {
      MapAprsSonde marker;
      marker.name = sonde.name;
      marker.latitude = sonde.latitude;
      marker.longitude = sonde.longitude;
      marker.altitude = sonde.altitude;
      marker.mapX = sonde.mapX;
      marker.mapY = sonde.mapY;
      marker.ageCounter = sonde.age;
      marker.ownSonde = sonde.ownSonde;
      marker.programTag = sonde.programTag;
      markers.push_back(std::move(marker));
    }
    SetAprsSondes(std::move(markers));
    SetSmallMarkers(m_aprsSmallMarkers);
  } else if (lParam == 2 && m_gpsFix) {
    // The station GPS's fix, as one set; an altitude it did not give keeps the home's.
    const GpsHomeFix fix = *m_gpsFix;
    ApplyHomePosition(fix.latitude, fix.longitude,
                      fix.altitudeM.value_or(m_chain->Context().home.altitude));
  }
  if (m_map != nullptr) m_map->Refresh();
}

void TmainForm::AprsFeedback(int wParam, int lParam) {
  // Reports that arrive after the user switched APRS-IS off only reach the log.
  const bool on = m_w.aprsEnable->isChecked();
  switch (wParam) {
    case -1:
      LogEvent(AttemptingConnectionText(m_aprs->LoginData().serverHost));
      return;
    case 1:
      LogEvent(kAprsConnectedText);
      if (!on) return;
      SetAprsImage("APRS_GOOD");
      m_w.aprsEnable->setEnabled(true);
      m_w.monitoring->setEnabled(true);
      m_w.tracking->setEnabled(true);
      SetAprsModes(true, false);
      m_aprsPanel->hide();
      m_aprsSmallMarkers = false;
      m_monitoringActive = true;
      m_trackingActive = false;
      m_aprsTimer->start();
      return;
    case 2:
      LogEvent(kAprsConnectionLostText);
      if (on) SetAprsImage("APRS_FAIL");
      return;
    case 0: {
      const bool requested = m_aprs->IsDisconnectRequested() || !on;
      if (lParam == 1) {
        LogEvent(LoginFailText(m_aprs->LoginData()));
      } else {
        LogEvent(requested ? kAprsConnectionFailText : kAprsConnectionRetryText);
      }
      if (!on) return;
      m_w.monitoring->setEnabled(false);
      m_w.tracking->setEnabled(false);
      SetAprsModes(false, false);
      if (!requested) SetAprsImage("APRS_FAIL");
      return;
    }
    default:
      return;
  }
}

void TmainForm::TimerCheckVerTimer() {
  m_timerCheckVer->stop();
  QMetaObject::invokeMethod(
      this, [this] { CheckUpdateVersion(1); }, Qt::QueuedConnection);
}

void TmainForm::CheckUpdateVersion(int silent) {
  if (m_form8->isVisible() || m_shutDown || !m_options.checkForUpdates) return;
  // A new check replaces one still waiting for its server.
  if (m_checkUpdate != nullptr) {
    m_checkUpdate->disconnect(this);
    m_checkUpdate->deleteLater();
  }
  const bool quiet = silent == 1;
  // WINDLARK_VERSION_URL stands in for the settings' address, as the tile and SondeHub hosts
  // have theirs: tests and package checks point it at loopback.
  QString url = m_options.versionFileUrl;
  if (url.isEmpty()) url = qEnvironmentVariable("WINDLARK_VERSION_URL").trimmed();
  if (url.isEmpty()) url = ToQString(m_settings.versionFileUrl);
  m_checkUpdate = new TCheckUpdate(url, quiet, this);
  m_checkUpdate->SetTimeoutMs(m_options.updateTimeoutMs);
  TCheckUpdate* check = m_checkUpdate;
  connect(check, &TCheckUpdate::NewVersion, this,
          [this, quiet](const VersionFile& file) { ShowNewVersion(file, quiet); });
  connect(check, &TCheckUpdate::AlreadyLatest, this, [this] {
    m_prompts.message(Prompts::Icon::Information,
                      ToQString(AlreadyUpdatedText(kVersionMajor, kVersionMinor)));
  });
  connect(check, &TCheckUpdate::Finished, this, [this, check] {
    if (m_checkUpdate == check) m_checkUpdate = nullptr;
    check->deleteLater();
    emit UpdateCheckFinished();
  });
  check->Start();
}

void TmainForm::ShowNewVersion(const VersionFile& file, bool silent) {
  m_form8->Prepare(ToQString(VersionText(kVersionMajor, kVersionMinor)),
                   ToQString(VersionText(file.major, file.minor)), ToQString(file.changeLog),
                   silent);
  LogEvent(kNewReleaseLogText);
  // Centred on the main window.
  m_form8->adjustSize();
  m_form8->move(frameGeometry().center() - m_form8->rect().center());
  m_form8->exec();
}

void TmainForm::ApplyHomePosition(double latitude, double longitude, double altitude) {
  DecodeContext& ctx = m_chain->Context();
  SetHomePosition(ctx.home, latitude, longitude, altitude);
  // The read-outs of the last sonde position follow the station at once, not at its next frame.
  if (m_chain->Log().Last()) ShowHomeGeometry(m_chain->State(), ctx);
  // The APRS-IS client's home beacon and the tracking panel's look angles follow too.
  if (m_aprs) m_aprs->SetHome(ctx.home);
  if (m_map != nullptr) {
    m_map->SetHome(ctx.home.mapX, ctx.home.mapY);
    m_map->Refresh();
  }
  emit HomeChanged();
}

void TmainForm::SBGpsInClick() {
  if (GpsRunning()) {
    StopGpsIn();
  } else {
    StartGpsIn();
  }
}

void TmainForm::StartGpsIn() {
  const GpsInSettings& gps = m_settings.gps;
  GpsIoConfig config;
  config.source = gps.source;
  config.portName = ToQString(gps.portName);
  config.baudRate = kBaudRates[static_cast<std::size_t>(std::clamp(gps.speedIndex, 0, 7))];
  config.dataBits = gps.dataBits;
  config.parity = gps.parity;
  config.stopBits = gps.stopBits;
  config.gpsdHost = ToQString(gps.gpsdHost);
  config.gpsdPort = gps.gpsdPort;
  const QString sourceName =
      gps.source == GpsSource::Gpsd
          ? QStringLiteral("gpsd %1:%2").arg(config.gpsdHost).arg(config.gpsdPort)
          : config.portName;

  auto* thread = new QThread(this);
  auto* reader = new TGpsIo(config);
  reader->moveToThread(thread);
  thread->start();
  int code = -1;
  // Opening is quick (a serial port opens or refuses at once); the error box needs its code.
  QMetaObject::invokeMethod(
      reader, [&code, reader] { code = reader->Open(); }, Qt::BlockingQueuedConnection);
  if (code != 0) {
    thread->quit();
    thread->wait();
    delete reader;
    delete thread;
    m_w.gpsIn->setChecked(false);
    m_prompts.message(Prompts::Icon::Error,
                      ToQString(GpsOpenErrorText(code, config.portName.toStdString())));
    return;
  }
  m_gpsThread = thread;
  m_gpsIo = reader;
  connect(reader, &TGpsIo::TextsChanged, m_gpsInForm, &TGpsInForm::ShowTexts);
  connect(reader, &TGpsIo::LampChanged, m_gpsInForm, &TGpsInForm::SetLamp);
  connect(reader, &TGpsIo::StatusChanged, m_gpsInForm, &TGpsInForm::SetStatus);
  connect(reader, &TGpsIo::HomeFix, this, [this](const GpsHomeFix& fix) {
    m_gpsFix = fix;
    UpdateOSMMap(0, 2);
  });

  m_gpsInForm->Reset(sourceName);
  if (gps.source == GpsSource::Gpsd) {
    m_gpsInForm->SetStatus(
        QStringLiteral("Connecting to gpsd %1:%2").arg(config.gpsdHost).arg(config.gpsdPort));
  }
  m_gpsInForm->adjustSize();
  // At the bottom right of the map.
  const QRect map(m_w.mapImage->mapToGlobal(QPoint(0, 0)), m_w.mapImage->size());
  const QSize size = m_gpsInForm->frameGeometry().size();
  m_gpsInForm->move(map.right() - size.width(), map.bottom() - size.height() - 20);
  m_gpsInForm->show();
  QMetaObject::invokeMethod(reader, &TGpsIo::Execute, Qt::QueuedConnection);
  m_w.gpsIn->setChecked(true);
}

void TmainForm::StopGpsIn() {
  if (m_gpsIo == nullptr) return;
  TGpsIo* reader = m_gpsIo;
  reader->disconnect(this);
  reader->disconnect(m_gpsInForm);
  QMetaObject::invokeMethod(reader, &TGpsIo::Stop, Qt::BlockingQueuedConnection);
  m_gpsThread->quit();
  m_gpsThread->wait();
  delete reader;
  delete m_gpsThread;
  m_gpsIo = nullptr;
  m_gpsThread = nullptr;
  m_gpsFix.reset();
  m_w.gpsIn->setChecked(false);
  m_w.gpsIn->setEnabled(m_settings.gpsInEnabled);
  m_gpsInForm->hide();
}

void TmainForm::WritePositionOut() {
  const SondeState& state = m_chain->State();
  if (m_positionOut) {
    // A failed write never stops the frame; the next frame tries again, the log says it once.
    const std::string error = m_positionOut->Write(SondePosText(state));
    if (!error.empty() && error != m_lastPositionOutError) {
      LogEvent("Sonde position not published: " + error);
    }
    m_lastPositionOutError = error;
  }
  if (m_chaseMap->Enabled()) {
    const QString error = m_chaseMap->Send(ChaseMapDatagram(state));
    if (!error.isEmpty() && error != m_lastChaseMapError) {
      LogEvent("Chase map datagram not sent: " + error.toStdString());
    }
    m_lastChaseMapError = error;
  }
}

void TmainForm::OnNewSonde() {
  m_w.auxPanel->setEnabled(false);
  // The chain resets the decoder while the window is being made, before the diagrams exist.
  if (m_diagrams != nullptr) m_diagrams->DrawChart();
  if (m_map != nullptr) {
    // The flight starts over: the default zoom about the same centre, an empty track.
    const int zoom = std::min(m_chain->Context().settings.defaultZoom, m_maxZoom);
    m_map->SetZoomKeepCenter(zoom);
    ShowZoom(zoom);
    m_map->Relayout();
  }
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
  const QSize size = m_w.mapImage->ViewSize();
  if (size.isEmpty()) return;
  m_map->SetViewSize(size.width(), size.height());
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
  const FrameChecks checks =
      DecodeFrame(frame, m_chain->State(), m_chain->Log(), m_chain->Context());
  ShowReplayLaunchTime(m_chain->State(), m_view);
  UploadFrame(frame, checks, true);
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
  StopGpsIn();
  StopRadioWorker(true);
  if (m_rotorHandler != nullptr) m_rotorHandler->Shutdown();
  StopSondeHub();
  if (m_timerCheckVer != nullptr) m_timerCheckVer->stop();
  if (m_checkUpdate != nullptr) {
    m_checkUpdate->disconnect(this);
    delete m_checkUpdate;
    m_checkUpdate = nullptr;
  }
  if (m_aprs) m_aprs->Terminate();
  m_aprsThread.quit();
  m_aprsThread.wait();
  if (m_aprsTimer != nullptr) m_aprsTimer->stop();
  if (m_map != nullptr) m_map->Stop();
  if (m_mapDownloader != nullptr) m_mapDownloader->StopDownload();
  for (QWidget* window : std::initializer_list<QWidget*>{
           m_replayControl, m_signalMonitor, m_diagrams, m_xdata.get(), m_settingsForm, m_gpsInForm,
           m_aprsPanel, m_mapDownloader, m_rotorHandler}) {
    if (window != nullptr) window->hide();
  }
}

}  // namespace windlark
