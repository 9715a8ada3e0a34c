#pragma once

#include <QMainWindow>
#include <QPoint>
#include <QString>
#include <QThread>
#include <QTimer>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/AppliedSettings.h"
#include "app/ReceiveChain.h"
#include "app/io/SettingsStore.h"
#include "app/ui/MainWidgets.h"
#include "app/ui/PanelView.h"
#include "aprs/AprsObject.h"
#include "base/ui/Prompts.h"
#include "decoder/FrameDecoder.h"
#include "gps/PositionOut.h"
#include "gps/io/GpsIo.h"
#include "map/AprsMarker.h"
#include "records/GhostTrack.h"

class QTimer;

namespace windlark {

class ModalPrompts;
class TAprs;
class TAprsPanel;
class TForm10;
class SettingsBinding;
class TAboutBox;
class TAudioControl;
class TAudioSignalForm;
class TDynMap;
class TMapDownloaderForm;
class TExportControl;
class TForm11;
class TLogFileLoader;
class TReplayControlForm;
class TSettingsForm;
class Txdata;
class TChaseMapPublisher;
class TSondeHub;
class TCheckUpdate;
class TForm8;
class TGpsInForm;
class TGpsIo;
class TRadioController;
class TRotorHandler;
class ScanSettingsBox;
class SyncCall;
struct GpsHomeFix;
struct VersionFile;

// The program's main window: owner of the receive chain and of the workers that come and go,
// and the view of everything the decoder shows. The logic of each subsystem lives in its own
// class; this window wires them to its buttons.
class TmainForm : public QMainWindow, public DecoderHooks {
  Q_OBJECT

 public:
  // Commands of the replay message: 0..5 speeds, -1 terminate, 10 the worker has finished.
  static constexpr int kReplayTerminate = -1;
  static constexpr int kReplayFinished = 10;

  struct Options {
    // The sound input; by default the sound card through Qt Multimedia.
    std::function<std::unique_ptr<AudioSource>()> audioSource;
    // The capture devices by name, a position being a device index, and the default's name.
    std::function<std::vector<std::string>()> deviceNames;
    std::function<std::string()> defaultDeviceName;
    // Dialogs and message boxes; by default the real ones.
    std::optional<Prompts> prompts;
    // The settings file. Without one there is no settings dialog and the window runs on the
    // built-in defaults, writing nothing to disk.
    std::optional<SettingsStore> settingsStore;
    // What the settings dialog asks of the user and how it is run modally; the real ones when
    // null.
    ModalPrompts* settingsPrompts = nullptr;
    // A raw file to replay as soon as the start-up step has run.
    QString replayFile;
    // The file the sonde position is published in (other programs read it); none when empty.
    QString positionOutFile;
    // The update check runs (the desktop program); a window made without it contacts nobody.
    bool checkForUpdates = false;
    // In place of the settings' version-file address, when not empty.
    QString versionFileUrl;
    // The update check's time-out.
    int updateTimeoutMs = 15000;
    // The APRS-IS client; by default one with the real waits and the PC's clock.
    std::function<std::unique_ptr<TAprs>()> aprsClient;
    // The folder of the rotor's "AZ" and "EL" files; none when empty.
    QString rotorStateDir;
  };

  explicit TmainForm(Options options, QWidget* parent = nullptr);
  ~TmainForm() override;

  // The settings seam: the settings store reads and checks its file and hands the values here.
  void ApplySettings(const AppliedSettings& settings);
  // Reads the settings and applies them: through the installed loader, else the defaults.
  void LoadIniFile();
  void SetIniFileLoader(std::function<void(TmainForm&)> loader) { m_iniLoader = std::move(loader); }
  // Shows the settings dialog (modal) and saves it on OK; "Settings" then loads them again.
  void SetSettingsDialog(std::function<void(TmainForm&)> dialog) {
    m_settingsDialog = std::move(dialog);
  }
  const AppliedSettings& Settings() const { return m_settings; }
  // The settings dialog; null without a settings file.
  TSettingsForm* SettingsDialog() const { return m_settingsForm; }

  void LogEvent(std::string_view text) { m_view.LogEvent(text); }
  // The window's message boxes and file dialogs, for the settings code's own messages.
  Prompts& Dialogs() { return m_prompts; }

  ReceiveChain& Chain() { return *m_chain; }
  PanelView& Panels() { return m_view; }
  const MainWidgets& Widgets() const { return m_w; }
  TAudioControl& Audio() { return *m_audio; }
  TExportControl& Exports() { return *m_exports; }
  TReplayControlForm& ReplayControl() { return *m_replayControl; }
  TAboutBox& AboutBox() { return *m_about; }
  TAudioSignalForm& SignalMonitor() { return *m_signalMonitor; }
  TForm11& Diagrams() { return *m_diagrams; }
  Txdata& AuxiliarySensors() { return *m_xdata; }
  const GhostTrack& Ghost() const { return m_ghostTrack; }
  TDynMap& Map() { return *m_map; }
  TMapDownloaderForm& MapDownloader() { return *m_mapDownloader; }
  int MaxZoom() const { return m_maxZoom; }
  bool AutocenterSuspended() const { return m_autocenterSuspended; }

  // The APRS sondes the map draws: a copy of the client's list, handed over whenever it changes.
  void SetAprsSondes(std::vector<MapAprsSonde> sondes);
  void SetSmallMarkers(bool small);
  // The station has moved (settings, a GPS fix): the home position, its ECEF and map
  // coordinates, and the map's home marker follow.
  void SetHome(double latitude, double longitude, double altitude);
  bool ReplayRunning() const { return m_loader != nullptr; }
  bool Started() const { return m_started; }
  TGpsInForm& GpsInForm() { return *m_gpsInForm; }
  bool GpsRunning() const { return m_gpsIo != nullptr; }
  TForm8& NewVersionForm() { return *m_form8; }
  TAboutBox* About() const { return m_about; }
  QTimer& TimerCheckVer() { return *m_timerCheckVer; }
  const HomePosition& Home() const { return m_chain->Context().home; }

  // Every change of the home position comes here (settings, station GPS): ECEF and map
  // coordinates are recomputed as one set, and the tracking read-outs follow at once.
  void ApplyHomePosition(double latitude, double longitude, double altitude);

  // APRS-IS: the client, the tracking panel, the selection dialog and the timer that ages the
  // sondes every minute.
  TAprs& Aprs() { return *m_aprs; }
  TAprsPanel& AprsPanel() { return *m_aprsPanel; }
  TForm10& SondeSelection() { return *m_form10; }
  QTimer& AprsTimer() { return *m_aprsTimer; }
  // The sondes heard on APRS-IS and the own one, as a copy: the map draws from it.
  std::vector<AprsSonde> AprsSondes() const;
  // Tracking draws the sondes small and without name plates.
  bool AprsSmallMarkers() const { return m_aprsSmallMarkers; }

  // Radio control: the scan worker runs from "Start SDR# remote control" until it ends.
  bool RadioRunning() const { return m_radio != nullptr; }
  TRotorHandler& RotorHandler() { return *m_rotorHandler; }
  QTimer& RestartScanTimer() { return *m_restartScanTimer; }

 signals:
  void StartupDone();
  void ReplayFinished();
  // The radio scan worker has ended (stopped, or the sonde locked for good).
  void RadioStopped();
  // The home position moved (the map's home marker follows).
  void HomeChanged();
  // An update check is over, whatever came of it.
  void UpdateCheckFinished();

 public slots:
  // WM_USER: the start-up step, posted by the first show.
  void WMStartup();
  // 0x402: replay speed, terminate and end.
  void LogFileThreadCommander(int command);
  // 0x403: a map tile arrived (0), the APRS sonde list (1) or the home position (2) changed.
  void UpdateOSMMap(int wParam, int lParam);
  // 0x404: the APRS-IS connection state; the client reports here once it exists.
  void AprsFeedback(int wParam, int lParam);
  // 0x401: the update check's result; the checker reports here once it exists.
  void CheckUpdateVersion(int result);

  void SBStartAudioClick();
  void SBStopAudioClick();
  void SBStartRadioClick();
  void SBStopRadioClick();
  void SBLoadRawFileClick();
  void SBLoadKmlClick();
  void SBGoogleMapClick();
  void SBSettingsClick();
  void SBAboutClick();
  void SBAuxPanelClick();
  void SBSignalMonitorClick();
  void SBDiagramsClick();
  void SBGpsInClick();
  void SBRotorClick();
  void RestartScanTimerTimer();
  void TimerCheckVerTimer();
  void SpeedButton5Click();
  void SpeedButton6Click();
  void SpeedButton7Click();
  void AprsTimerTimer();
  void SpeedButton15Click();
  void StatusBar1Click();

  // The map's controls.
  void Image1MouseDown(QPoint position);
  void Image1MouseMove(QPoint position);
  void Image1MouseUp(QPoint position);
  // One wheel notch over the map: +1 zooms in, -1 out.
  void FormMouseWheel(int step);
  void SBZoomPlusClick();
  void SBZoomMinusClick();
  void SBAutoCenterClick();
  void AutocenterTimerTimer();
  void SBMapNetClick();
  void SBMapDownloadClick();
  void SBMapDownloaderClick();
  // 1 OpenStreetMap, 2 OpenTopoMap.
  void ChangeMapTypePopup(int type);

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  // The replay window keeps its place beside the map when the main window moves.
  void moveEvent(QMoveEvent* event) override;

  // DecoderHooks: the map, rotor, diagrams, APRS and position output join here.
  void OnNewSonde() override;
  void EnableAuxiliaryPanel() override;
  void UpdateSonde(std::string_view speedText, int climb, double altitude, double mapX,
                   double mapY) override;
  void TrackTo(int azimuth, int elevation) override;
  void PlotPoint(const TelemetryPoint& point) override;
  void WritePositionOut() override;
  bool AprsConnected() const override;
  void QueueObjectReport(const ObjectReport& report) override;

 private:
  void FormCreate();
  void CreateSettings();
  void CreateAuxiliaryWindows();
  void FormResize();
  void ConnectButtons();
  void CreateMap();
  void ConnectMap();
  void ApplyMapSettings(const AppliedSettings& settings);
  void SuspendAutocenter();
  void ShowZoom(int zoom);
  // The offline downloader, when shown, follows the view.
  void HandViewToDownloader();
  void StartReplay(const QString& file);
  void DecodeReplayFrame(const RawFrame& frame);
  void EndReplay();
  void LoadGhostTrack();
  // SondeHub upload: (re)started when its settings change, fed with every decoded frame.
  void ConfigureSondeHub(const AppliedSettings& settings);
  void StopSondeHub();
  void UploadFrame(const RawFrame& frame, const FrameChecks& checks, bool replayed);
  void ClearGhostTrack();
  void ShowRawCaptureError(const std::string& error);
  void Shutdown();
  void StartGpsIn();
  void StopGpsIn();
  void ShowNewVersion(const VersionFile& file, bool silent);
  void CreateAprs();
  void SetAprsImage(const char* image);
  void SetAprsModes(bool monitoringDown, bool trackingDown);
  void StartTrackingSonde(const std::string& name);
  void RestoreMonitoringButtons();
  void CreateRadioControl();
  void ApplyRadioSettings(const AppliedSettings& settings);
  void StartRadioWorker();
  // Tells the worker to end; `wait` for its thread (the window is closing).
  void StopRadioWorker(bool wait);
  void ShowRadioStatus(const QString& text, bool red, bool bold);
  void SetRadioStartGlyph(bool pause);

  Options m_options;
  Prompts m_prompts;
  // Read once: a device index is a position in this list, for the dialog and the sound input.
  std::vector<std::string> m_deviceNames;
  MainWidgets m_w;
  PanelView m_view{m_w};
  std::unique_ptr<ReceiveChain> m_chain;
  std::unique_ptr<TAudioControl> m_audio;
  std::unique_ptr<TExportControl> m_exports;
  TSettingsForm* m_settingsForm = nullptr;
  std::unique_ptr<SettingsBinding> m_settingsBinding;
  TAboutBox* m_about = nullptr;
  TReplayControlForm* m_replayControl = nullptr;
  TAudioSignalForm* m_signalMonitor = nullptr;
  TForm11* m_diagrams = nullptr;
  // Observes the receive chain's instruments, so it goes before the chain does.
  std::unique_ptr<Txdata> m_xdata;
  std::unique_ptr<TLogFileLoader> m_loader;
  QString m_replayError;
  GhostTrack m_ghostTrack;
  TDynMap* m_map = nullptr;
  TMapDownloaderForm* m_mapDownloader = nullptr;
  QTimer* m_autocenterTimer = nullptr;
  bool m_autocenterSuspended = false;
  int m_maxZoom = 19;
  std::vector<MapAprsSonde> m_aprsSondes;
  std::string m_mapDirApplied;
  AppliedSettings m_settings;
  std::function<void(TmainForm&)> m_iniLoader;
  std::function<void(TmainForm&)> m_settingsDialog;
  std::string m_lastCaptureError;
  TGpsInForm* m_gpsInForm = nullptr;
  QThread* m_gpsThread = nullptr;
  TGpsIo* m_gpsIo = nullptr;
  std::optional<GpsHomeFix> m_gpsFix;
  TForm8* m_form8 = nullptr;
  TCheckUpdate* m_checkUpdate = nullptr;
  QTimer* m_timerCheckVer = nullptr;
  TChaseMapPublisher* m_chaseMap = nullptr;
  std::unique_ptr<PositionOutWriter> m_positionOut;
  std::string m_lastPositionOutError;
  QString m_lastChaseMapError;
  QThread m_aprsThread;
  std::unique_ptr<TAprs> m_aprs;
  TAprsPanel* m_aprsPanel = nullptr;
  TForm10* m_form10 = nullptr;
  QTimer* m_aprsTimer = nullptr;
  bool m_monitoringActive = false;
  bool m_trackingActive = false;
  bool m_aprsSmallMarkers = false;
  TRadioController* m_radio = nullptr;
  // Every scan worker whose thread has not ended yet (one running, others ending).
  std::vector<std::pair<QThread*, TRadioController*>> m_radioThreads;
  bool m_radioStartPressed = false;
  bool m_radioStopPressed = true;
  std::shared_ptr<ScanSettingsBox> m_scanSettings;
  std::shared_ptr<SyncCall> m_sondeIdCall;
  QTimer* m_restartScanTimer = nullptr;
  TRotorHandler* m_rotorHandler = nullptr;
  bool m_rawLatch = false;
  bool m_showHandled = false;
  bool m_started = false;
  bool m_shutDown = false;
  QThread* m_sondeHubThread = nullptr;
  TSondeHub* m_sondeHub = nullptr;
  std::string m_sondeHubKey;  // what the running upload was started with
  std::vector<int> m_sondeHubSkipsLogged;
};

}  // namespace windlark
