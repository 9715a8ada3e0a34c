#pragma once

#include <QDialog>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "app/Settings.h"

class QAbstractButton;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QTabWidget;
class QTableWidget;

namespace windlark {

class ModalPrompts;
class TForm4;
class TRotorPresetForm;

// The settings dialog. Created once and kept hidden between uses; its controls are the running
// copy of the settings: a load fills them, a save reads them.
class TSettingsForm : public QDialog {
  Q_OBJECT

 public:
  // `audioDevices` are the input devices' names, device 0 first. `prompts` answers for the
  // user; the process's message boxes when null.
  explicit TSettingsForm(std::vector<std::string> audioDevices, ModalPrompts* prompts = nullptr,
                         QWidget* parent = nullptr);
  ~TSettingsForm() override;

  const std::vector<std::string>& AudioDevices() const { return m_audioDevices; }
  // A new list of input devices (one plugged in since): the selected device stays selected
  // when it is still there.
  void SetAudioDevices(std::vector<std::string> audioDevices);

  // Puts loaded settings into the controls.
  void Fill(const LoadedSettings& loaded);
  // The controls' state, as a save takes it.
  Settings ReadSettings() const;
  SettingsTexts ReadTexts() const;

  // The rescan delay in minutes: set by a load and by a "Save" whose check it passed.
  int RescanDelayMin() const { return m_rescanDelayMin; }

  // Runs after the check has passed and before the dialog closes with OK (the save to disk):
  // "" or a message, which keeps the dialog open.
  void SetCommit(std::function<QString()> commit) { m_commit = std::move(commit); }

  TForm4& FrequencyForm() { return *m_frequencyForm; }
  TRotorPresetForm& PresetForm() { return *m_presetForm; }

 private:
  QWidget* BuildAudioTab();
  QWidget* BuildRadioTab();
  QWidget* BuildLogFilesTab();
  QWidget* BuildMapsTab();
  QWidget* BuildUnitsTab();
  QWidget* BuildUpdatesTab();
  QWidget* BuildRotorTab();
  QWidget* BuildAprsTab();
  QWidget* BuildGpsTab();
  QWidget* BuildSondeHubTab();
  QWidget* BuildHomeLocation();
  QWidget* BuildPresets();
  QWidget* BuildLoginGroup();
  QWidget* BuildServersGroup();
  QWidget* BuildMonitoringGroup();

  void FillPorts(const LoadedSettings& loaded);
  void FillPresets(int currentRow);
  void FillAprs(const Settings& s, const SettingsTexts& t);
  void ShowFolder(QLabel* label, const std::string& folder);

  void ButtonSaveClick();
  void ButtonAddFrequencyClick();
  void ButtonDeleteFrequencyClick();
  void ButtonAddPresetClick();
  void ButtonDeletePresetClick();
  void ButtonRawDirClick();
  void ButtonMapDirClick();
  void CheckBoxAprsEnableClick(bool checked);
  void UpdateAprsEnabling();
  void UpdateMapModeEnabling();

  ModalPrompts& m_prompts;
  std::vector<std::string> m_audioDevices;
  std::vector<RotorPreset> m_presets;  // the preset grid's rows
  std::string m_rawDir;                // the folders as shown, in full
  std::string m_mapDir;
  int m_rescanDelayMin = 2;
  std::function<QString()> m_commit;

  TForm4* m_frequencyForm = nullptr;
  TRotorPresetForm* m_presetForm = nullptr;
  QTabWidget* m_tabs = nullptr;

  // Audio
  QListWidget* m_audioList = nullptr;
  QCheckBox* m_audioAutorun = nullptr;
  QComboBox* m_demodulator = nullptr;
  // Radio Interface
  QLineEdit* m_netRemotePort = nullptr;
  QListWidget* m_frequencies = nullptr;
  QCheckBox* m_radioAutorun = nullptr;
  QCheckBox* m_restartScan = nullptr;
  QLineEdit* m_rearmTime = nullptr;
  QRadioButton* m_netRemoteLink = nullptr;
  QRadioButton* m_rigctlLink = nullptr;
  QLineEdit* m_rigctlHost = nullptr;
  QSpinBox* m_rigctlPort = nullptr;
  // Log Files
  QCheckBox* m_saveRaw = nullptr;
  QLabel* m_rawDirLabel = nullptr;
  // Maps
  QComboBox* m_mapType = nullptr;
  QRadioButton* m_onlineMode = nullptr;
  QRadioButton* m_offlineMode = nullptr;
  QCheckBox* m_autosaveMaps = nullptr;
  QLabel* m_mapDirLabel = nullptr;
  QSpinBox* m_zoomLevel = nullptr;
  QLineEdit* m_homeLatitude = nullptr;
  QLineEdit* m_homeLongitude = nullptr;
  QLineEdit* m_homeAltitude = nullptr;
  // Meas Units
  QButtonGroup* m_windUnit = nullptr;
  QButtonGroup* m_verticalUnit = nullptr;
  // Updates
  QCheckBox* m_checkUpdates = nullptr;
  QLineEdit* m_versionFileUrl = nullptr;
  std::string m_webPageUrl;  // kept from the file; the dialog does not show it
  // Antenna Rotor
  QButtonGroup* m_rotorProtocol = nullptr;
  QComboBox* m_rotorPort = nullptr;
  QComboBox* m_rotorSpeed = nullptr;
  QTableWidget* m_presetGrid = nullptr;
  QSpinBox* m_sensitivity = nullptr;
  QSpinBox* m_queryPeriod = nullptr;
  QLineEdit* m_rotctldHost = nullptr;
  QSpinBox* m_rotctldPort = nullptr;
  // APRS
  QCheckBox* m_aprsEnable = nullptr;
  QLineEdit* m_callSign = nullptr;
  QLineEdit* m_password = nullptr;
  QCheckBox* m_homePosition = nullptr;
  QSpinBox* m_homeSsid = nullptr;
  QButtonGroup* m_servers = nullptr;
  QRadioButton* m_localZone = nullptr;
  QRadioButton* m_world = nullptr;
  QLineEdit* m_launchLatitude = nullptr;
  QLineEdit* m_launchLongitude = nullptr;
  QLineEdit* m_range = nullptr;
  QCheckBox* m_aprsAutoStart = nullptr;
  std::vector<QWidget*> m_aprsControls;  // every control of the tab but "Enable APRS Settings"
  std::vector<QWidget*> m_zoneControls;  // the monitoring zone's labels and fields
  // GPS IN
  QComboBox* m_gpsPort = nullptr;
  QComboBox* m_gpsSpeed = nullptr;
  QComboBox* m_gpsDataBits = nullptr;
  QComboBox* m_gpsParity = nullptr;
  QComboBox* m_gpsStopBits = nullptr;
  QRadioButton* m_gpsSerial = nullptr;
  QRadioButton* m_gpsd = nullptr;
  QLineEdit* m_gpsdHost = nullptr;
  QSpinBox* m_gpsdPort = nullptr;
  QCheckBox* m_chaseMapFeed = nullptr;
  QLineEdit* m_chaseMapHost = nullptr;
  QSpinBox* m_chaseMapPort = nullptr;
  // SondeHub
  QCheckBox* m_sondeHubEnable = nullptr;
  QLineEdit* m_sondeHubCallsign = nullptr;
  QLineEdit* m_sondeHubAntenna = nullptr;
  QCheckBox* m_sondeHubMobile = nullptr;
  QCheckBox* m_sondeHubTestMode = nullptr;
  SondeHubSettings m_sondeHubHidden;  // the keys the tab does not show (address, CA file)
};

}  // namespace windlark
