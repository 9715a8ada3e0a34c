#pragma once

#include <QMainWindow>
#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/MainWindowSettings.h"
#include "app/ui/MainWidgets.h"
#include "app/ui/PanelView.h"
#include "app/ui/Prompts.h"
#include "decoder/FrameDecoder.h"
#include "records/GhostTrack.h"
#include "signal/ReceiveChain.h"

namespace windlark {

class TAboutBox;
class TAudioControl;
class TExportControl;
class TLogFileLoader;
class TReplayControlForm;

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
    // A raw file to replay as soon as the start-up step has run.
    QString replayFile;
  };

  explicit TmainForm(Options options = {}, QWidget* parent = nullptr);
  ~TmainForm() override;

  // The settings seam: the settings store reads and checks its file and hands the values here.
  void ApplySettings(const MainWindowSettings& settings);
  // Reads the settings and applies them: through the installed loader, else the defaults.
  void LoadIniFile();
  void SetIniFileLoader(std::function<void(TmainForm&)> loader) { m_iniLoader = std::move(loader); }
  // Shows the settings dialog (modal) and saves it on OK; "Settings" then loads them again.
  void SetSettingsDialog(std::function<void(TmainForm&)> dialog) {
    m_settingsDialog = std::move(dialog);
  }
  const MainWindowSettings& Settings() const { return m_settings; }

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
  const GhostTrack& Ghost() const { return m_ghostTrack; }
  bool ReplayRunning() const { return m_loader != nullptr; }
  bool Started() const { return m_started; }

 signals:
  void StartupDone();
  void ReplayFinished();

 public slots:
  // WM_USER: the start-up step, posted by the first show.
  void WMStartup();
  // 0x402: replay speed, terminate and end.
  void LogFileThreadCommander(int command);
  // 0x403: a map tile arrived (0), the APRS sonde list (1) or the home position (2) changed.
  void UpdateOSMMap(int wParam, int lParam);
  // 0x404: the APRS-IS connection state; the client reports here once it exists.
  void AprsFeedback(int state);
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
  void SpeedButton5Click();
  void SpeedButton15Click();
  void StatusBar1Click();

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  // The replay window keeps its place beside the map when the main window moves.
  void moveEvent(QMoveEvent* event) override;

  // DecoderHooks: the map, rotor, diagrams, APRS and position output join here.
  void OnNewSonde() override;
  void EnableAuxiliaryPanel() override;

 private:
  void FormCreate();
  void FormResize();
  void ConnectButtons();
  void StartReplay(const QString& file);
  void DecodeReplayFrame(const RawFrame& frame);
  void EndReplay();
  void LoadGhostTrack();
  void ClearGhostTrack();
  void ShowRawCaptureError(const std::string& error);
  void Shutdown();

  Options m_options;
  Prompts m_prompts;
  MainWidgets m_w;
  PanelView m_view{m_w};
  std::unique_ptr<ReceiveChain> m_chain;
  std::unique_ptr<TAudioControl> m_audio;
  std::unique_ptr<TExportControl> m_exports;
  TAboutBox* m_about = nullptr;
  TReplayControlForm* m_replayControl = nullptr;
  std::unique_ptr<TLogFileLoader> m_loader;
  QString m_replayError;
  GhostTrack m_ghostTrack;
  MainWindowSettings m_settings;
  std::function<void(TmainForm&)> m_iniLoader;
  std::function<void(TmainForm&)> m_settingsDialog;
  std::string m_lastCaptureError;
  bool m_rawLatch = false;
  bool m_showHandled = false;
  bool m_started = false;
  bool m_shutDown = false;
};

}  // namespace windlark
