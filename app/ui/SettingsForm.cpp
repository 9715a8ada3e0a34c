#include "app/ui/SettingsForm.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "app/IniFile.h"
#include "app/SettingsChecks.h"
#include "app/ui/Form4.h"
#include "app/ui/ModalPrompts.h"
#include "app/ui/RotorPreset.h"
#include "base/Format.h"

namespace windlark {

namespace {

QString Q(const std::string& text) {
  return QString::fromStdString(text);
}
std::string S(const QString& text) {
  return text.toStdString();
}

void CheckId(QButtonGroup* group, int id) {
  if (QAbstractButton* button = group->button(id)) button->setChecked(true);
}

int CheckedId(const QButtonGroup* group, int none) {
  const int id = group->checkedId();
  return id < 0 ? none : id;
}

}  // namespace

TSettingsForm::TSettingsForm(std::vector<std::string> audioDevices, ModalPrompts* prompts,
                             QWidget* parent)
    : QDialog(parent),
      m_prompts(prompts != nullptr ? *prompts : DefaultPrompts()),
      m_audioDevices(std::move(audioDevices)),
      m_presets(1) {
  setObjectName(QStringLiteral("SettingsForm"));
  setWindowTitle(QStringLiteral("Settings"));
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);

  m_frequencyForm = new TForm4(m_prompts, this);
  m_presetForm = new TRotorPresetForm(m_prompts, this);

  m_tabs = new QTabWidget;
  m_tabs->setObjectName(QStringLiteral("PageControl"));
  m_tabs->setUsesScrollButtons(false);
  m_tabs->addTab(BuildAudioTab(), QStringLiteral("Audio"));
  m_tabs->addTab(BuildRadioTab(), QStringLiteral("Radio Interface"));
  m_tabs->addTab(BuildLogFilesTab(), QStringLiteral("Log Files"));
  m_tabs->addTab(BuildMapsTab(), QStringLiteral("Maps"));
  m_tabs->addTab(BuildUnitsTab(), QStringLiteral("Meas Units"));
  m_tabs->addTab(BuildUpdatesTab(), QStringLiteral("Updates"));
  m_tabs->addTab(BuildRotorTab(), QStringLiteral("Antenna Rotor"));
  m_tabs->addTab(BuildAprsTab(), QStringLiteral("APRS"));
  m_tabs->addTab(BuildGpsTab(), QStringLiteral("GPS IN"));
  m_tabs->addTab(BuildSondeHubTab(), QStringLiteral("SondeHub"));

  auto* save = new QPushButton(QStringLiteral("Save"));
  save->setObjectName(QStringLiteral("ButtonSave"));
  save->setDefault(true);
  auto* cancel = new QPushButton(QStringLiteral("Cancel"));
  cancel->setObjectName(QStringLiteral("ButtonCancel"));
  cancel->setAutoDefault(false);
  connect(save, &QPushButton::clicked, this, &TSettingsForm::ButtonSaveClick);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(save);
  buttons->addWidget(cancel);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(m_tabs);
  layout->addLayout(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);

  // The defaults until the first load.
  LoadedSettings defaults;
  defaults.texts = TextsOf(defaults.settings);
  Fill(defaults);
  m_rescanDelayMin = 2;
}

TSettingsForm::~TSettingsForm() = default;

void TSettingsForm::ShowFolder(QLabel* label, const std::string& folder) {
  const QString full = Q(folder);
  const int room = label->width() - 2 * label->frameWidth() - 6;
  label->setText(label->fontMetrics().elidedText(full, Qt::ElideMiddle, room));
  label->setToolTip(full);
}

void TSettingsForm::SetAudioDevices(std::vector<std::string> audioDevices) {
  const int row = m_audioList->currentRow();
  const QString selected = row >= 0 ? m_audioList->item(row)->text() : QString();
  m_audioDevices = std::move(audioDevices);
  m_audioList->clear();
  int newRow = -1;
  for (const std::string& name : m_audioDevices) {
    const QString text = QString::fromStdString(name);
    if (newRow < 0 && row >= 0 && text == selected) newRow = m_audioList->count();
    m_audioList->addItem(text);
  }
  m_audioList->clearSelection();
  m_audioList->setCurrentRow(newRow);
}

void TSettingsForm::Fill(const LoadedSettings& loaded) {
  const Settings& s = loaded.settings;
  const SettingsTexts& t = loaded.texts;

  m_audioList->clearSelection();
  m_audioList->setCurrentRow(-1);
  if (s.audio.deviceIndex >= 0 && s.audio.deviceIndex < m_audioList->count()) {
    m_audioList->setCurrentRow(s.audio.deviceIndex);
  }
  m_audioAutorun->setChecked(s.audio.autorun);
  m_demodulator->setCurrentIndex(s.audio.demodulator == DemodulatorKind::Standard ? 1 : 0);

  m_netRemotePort->setText(Q(t.netRemotePort));
  m_frequencies->clear();
  for (const int hz : s.radio.frequenciesHz) m_frequencies->addItem(Q(FormatInt(hz)));
  m_radioAutorun->setChecked(s.radio.autorun);
  m_restartScan->setChecked(s.radio.restartScan);
  m_rearmTime->setText(Q(t.rearmTime));
  m_rescanDelayMin = s.radio.rearmTimeMin;
  (s.radio.link == RadioLinkKind::Rigctl ? m_rigctlLink : m_netRemoteLink)->setChecked(true);
  m_rigctlHost->setText(Q(s.radio.rigctlHost));
  m_rigctlPort->setValue(s.radio.rigctlPort);

  m_saveRaw->setChecked(s.logs.saveRawData);
  m_rawDir = s.logs.rawDir;
  ShowFolder(m_rawDirLabel, m_rawDir);

  m_mapType->setCurrentIndex(s.maps.mapType == 2 ? 1 : 0);
  (s.maps.onlineMode ? m_onlineMode : m_offlineMode)->setChecked(true);
  m_autosaveMaps->setChecked(s.maps.autosaveMaps);
  m_mapDir = s.maps.mapDir;
  ShowFolder(m_mapDirLabel, m_mapDir);
  m_zoomLevel->setValue(s.maps.zoomLevel);
  m_homeLatitude->setText(Q(t.homeLatitude));
  m_homeLongitude->setText(Q(t.homeLongitude));
  m_homeAltitude->setText(Q(t.homeAltitude));
  UpdateMapModeEnabling();

  CheckId(m_windUnit, s.units.windSpeed);
  CheckId(m_verticalUnit, s.units.verticalSpeed);
  m_checkUpdates->setChecked(s.updates.checkAtStartup);
  m_versionFileUrl->setText(Q(s.updates.versionFileUrl));
  m_webPageUrl = s.updates.webPageUrl;

  CheckId(m_rotorProtocol, s.rotor.protocol);
  FillPorts(loaded);
  m_rotorSpeed->setCurrentIndex(s.rotor.speedIndex);
  m_presets = s.rotor.presets;
  if (m_presets.empty()) m_presets.emplace_back();
  FillPresets(0);
  m_sensitivity->setValue(s.rotor.sensitivityDeg);
  m_queryPeriod->setValue(s.rotor.queryPeriodS);
  m_rotctldHost->setText(Q(s.rotor.rotctldHost));
  m_rotctldPort->setValue(s.rotor.rotctldPort);

  FillAprs(s, t);

  m_gpsSpeed->setCurrentIndex(s.gps.speedIndex);
  m_gpsDataBits->setCurrentIndex(s.gps.dataBits - 7);
  m_gpsParity->setCurrentIndex(s.gps.parity);
  m_gpsStopBits->setCurrentIndex(s.gps.stopBits);
  (s.gps.source == GpsSource::Gpsd ? m_gpsd : m_gpsSerial)->setChecked(true);
  m_gpsdHost->setText(Q(s.gps.gpsdHost));
  m_gpsdPort->setValue(s.gps.gpsdPort);
  m_chaseMapFeed->setChecked(s.gps.chaseMapFeed);
  m_chaseMapHost->setText(Q(s.gps.chaseMapHost));
  m_chaseMapPort->setValue(s.gps.chaseMapPort);

  m_sondeHubHidden = s.sondehub;
  m_sondeHubEnable->setChecked(s.sondehub.enable);
  m_sondeHubCallsign->setText(Q(s.sondehub.callsign));
  m_sondeHubAntenna->setText(Q(s.sondehub.antenna));
  m_sondeHubMobile->setChecked(s.sondehub.mobile);
  m_sondeHubTestMode->setChecked(s.sondehub.testMode);
}

void TSettingsForm::FillPorts(const LoadedSettings& loaded) {
  const std::pair<QComboBox*, std::pair<int, const std::string*>> lists[] = {
      {m_rotorPort, {loaded.rotorPortIndex, &loaded.texts.rotorPort}},
      {m_gpsPort, {loaded.gpsPortIndex, &loaded.texts.gpsPort}}};
  for (const auto& [combo, selection] : lists) {
    combo->clear();
    for (const std::string& port : loaded.serialPorts) combo->addItem(Q(port));
    combo->setCurrentIndex(selection.first);
    // A port that is not there keeps its text, so a save keeps it too.
    if (selection.first < 0) combo->setEditText(Q(*selection.second));
  }
}

void TSettingsForm::FillPresets(int currentRow) {
  m_presetGrid->clearContents();
  m_presetGrid->setRowCount(static_cast<int>(m_presets.size()));
  for (std::size_t i = 0; i < m_presets.size(); ++i) {
    const RotorPreset& preset = m_presets[i];
    const bool blank = preset.name.empty();
    const QString cells[] = {Q(preset.name), blank ? QString() : Q(FormatInt(preset.azimuthDeg, 3)),
                             blank ? QString() : Q(FormatInt(preset.elevationDeg, 3))};
    for (int column = 0; column < 3; ++column) {
      auto* item = new QTableWidgetItem(cells[column]);
      if (column > 0) item->setTextAlignment(Qt::AlignCenter);
      m_presetGrid->setItem(static_cast<int>(i), column, item);
    }
  }
  const int last = m_presetGrid->rowCount() - 1;
  m_presetGrid->setCurrentCell(std::clamp(currentRow, 0, last), 0);
}

void TSettingsForm::FillAprs(const Settings& s, const SettingsTexts& t) {
  // The enable box first: unchecking it also unchecks the auto start, which is read last.
  m_aprsEnable->setChecked(s.aprs.enable);
  m_callSign->setText(Q(s.aprs.callSign));
  m_homePosition->setChecked(s.aprs.homePositionEnable);
  m_homeSsid->setValue(s.aprs.homeSsid);
  m_password->setText(Q(t.password));
  m_servers->setExclusive(false);
  for (QAbstractButton* button : m_servers->buttons()) button->setChecked(false);
  m_servers->setExclusive(true);
  CheckId(m_servers, s.aprs.serverNum);
  m_launchLatitude->setText(Q(t.launchLatitude));
  m_launchLongitude->setText(Q(t.launchLongitude));
  m_range->setText(Q(t.range));
  (s.aprs.monitoringMode == 1 ? m_localZone : m_world)->setChecked(true);
  m_aprsAutoStart->setChecked(s.aprs.autoStart);
  UpdateAprsEnabling();
}

Settings TSettingsForm::ReadSettings() const {
  const SettingsTexts t = ReadTexts();
  Settings s;
  const auto selectedDevices = m_audioList->selectionModel()->selectedRows();
  s.audio.deviceIndex = selectedDevices.isEmpty() ? -1 : selectedDevices.front().row();
  s.audio.autorun = m_audioAutorun->isChecked();
  s.audio.demodulator =
      m_demodulator->currentIndex() == 1 ? DemodulatorKind::Standard : DemodulatorKind::Enhanced;

  s.radio.netRemotePort = ParseIniInteger(t.netRemotePort).value_or(0);
  for (int i = 0; i < m_frequencies->count(); ++i) {
    if (const auto hz = ParseIniInteger(S(m_frequencies->item(i)->text()))) {
      s.radio.frequenciesHz.push_back(*hz);
    }
  }
  s.radio.autorun = m_radioAutorun->isChecked();
  s.radio.restartScan = m_restartScan->isChecked();
  s.radio.rearmTimeMin = ParseIniInteger(t.rearmTime).value_or(m_rescanDelayMin);
  s.radio.link = m_rigctlLink->isChecked() ? RadioLinkKind::Rigctl : RadioLinkKind::NetRemote;
  s.radio.rigctlHost = S(m_rigctlHost->text().trimmed());
  if (s.radio.rigctlHost.empty()) s.radio.rigctlHost = kDefaultRigctlHost;
  s.radio.rigctlPort = m_rigctlPort->value();

  s.logs.saveRawData = m_saveRaw->isChecked();
  s.logs.rawDir = m_rawDir;

  s.maps.mapType = m_mapType->currentIndex() + 1;
  s.maps.onlineMode = m_onlineMode->isChecked();
  s.maps.autosaveMaps = m_autosaveMaps->isChecked();
  s.maps.mapDir = m_mapDir;
  s.maps.zoomLevel = m_zoomLevel->value();
  s.maps.homeLatitude = ParseIniReal(t.homeLatitude, '.').value_or(kDefaultHomeLatitude);
  s.maps.homeLongitude = ParseIniReal(t.homeLongitude, '.').value_or(kDefaultHomeLongitude);
  s.maps.homeAltitudeM = ParseIniInteger(t.homeAltitude).value_or(0);

  s.units.windSpeed = CheckedId(m_windUnit, 0);
  s.units.verticalSpeed = CheckedId(m_verticalUnit, 0);
  s.updates.checkAtStartup = m_checkUpdates->isChecked();
  s.updates.versionFileUrl = S(m_versionFileUrl->text().trimmed());
  if (s.updates.versionFileUrl.empty()) s.updates.versionFileUrl = kDefaultVersionFileUrl;
  s.updates.webPageUrl = m_webPageUrl.empty() ? std::string(kDefaultWebPageUrl) : m_webPageUrl;

  s.rotor.protocol = CheckedId(m_rotorProtocol, 0);
  s.rotor.portName = t.rotorPort;
  s.rotor.port = PortNumberOf(t.rotorPort).value_or(1);
  s.rotor.speedIndex = m_rotorSpeed->currentIndex();
  s.rotor.presets = m_presets;
  s.rotor.sensitivityDeg = m_sensitivity->value();
  s.rotor.queryPeriodS = m_queryPeriod->value();
  s.rotor.rotctldHost = S(m_rotctldHost->text().trimmed());
  if (s.rotor.rotctldHost.empty()) s.rotor.rotctldHost = kDefaultRotctldHost;
  s.rotor.rotctldPort = m_rotctldPort->value();

  s.aprs.enable = m_aprsEnable->isChecked();
  s.aprs.autoStart = m_aprsAutoStart->isChecked();
  s.aprs.callSign = S(m_callSign->text().trimmed());
  s.aprs.homePositionEnable = m_homePosition->isChecked();
  s.aprs.homeSsid = m_homeSsid->value();
  s.aprs.password = ParseIniInteger(t.password).value_or(-1);
  s.aprs.serverNum = CheckedId(m_servers, 0);
  s.aprs.launchLatitude = ParseIniReal(t.launchLatitude, '.').value_or(s.maps.homeLatitude);
  s.aprs.launchLongitude = ParseIniReal(t.launchLongitude, '.').value_or(s.maps.homeLongitude);
  s.aprs.rangeKm = ParseIniInteger(t.range).value_or(50);
  s.aprs.monitoringMode = m_localZone->isChecked() ? 1 : 0;

  s.gps.protocol = 0;
  s.gps.portName = t.gpsPort;
  s.gps.port = PortNumberOf(t.gpsPort).value_or(1);
  s.gps.speedIndex = m_gpsSpeed->currentIndex();
  s.gps.dataBits = m_gpsDataBits->currentIndex() + 7;
  s.gps.parity = m_gpsParity->currentIndex();
  s.gps.stopBits = m_gpsStopBits->currentIndex();
  s.gps.source = m_gpsd->isChecked() ? GpsSource::Gpsd : GpsSource::SerialPort;
  s.gps.gpsdHost = S(m_gpsdHost->text().trimmed());
  if (s.gps.gpsdHost.empty()) s.gps.gpsdHost = kDefaultGpsdHost;
  s.gps.gpsdPort = m_gpsdPort->value();
  s.gps.chaseMapFeed = m_chaseMapFeed->isChecked();
  s.gps.chaseMapHost = S(m_chaseMapHost->text().trimmed());
  if (s.gps.chaseMapHost.empty()) s.gps.chaseMapHost = kDefaultChaseMapHost;
  s.gps.chaseMapPort = m_chaseMapPort->value();
  s.sondehub = m_sondeHubHidden;
  s.sondehub.enable = m_sondeHubEnable->isChecked();
  s.sondehub.callsign = S(m_sondeHubCallsign->text().trimmed());
  s.sondehub.antenna = S(m_sondeHubAntenna->text().trimmed());
  s.sondehub.mobile = m_sondeHubMobile->isChecked();
  s.sondehub.testMode = m_sondeHubTestMode->isChecked();
  return s;
}

SettingsTexts TSettingsForm::ReadTexts() const {
  SettingsTexts t;
  t.netRemotePort = S(m_netRemotePort->text());
  t.rearmTime = S(m_rearmTime->text());
  t.homeLatitude = S(m_homeLatitude->text());
  t.homeLongitude = S(m_homeLongitude->text());
  t.homeAltitude = S(m_homeAltitude->text());
  t.rotorPort = S(m_rotorPort->currentText().trimmed());
  t.password = S(m_password->text());
  t.launchLatitude = S(m_launchLatitude->text());
  t.launchLongitude = S(m_launchLongitude->text());
  t.range = S(m_range->text());
  t.gpsPort = S(m_gpsPort->currentText().trimmed());
  return t;
}

void TSettingsForm::ButtonSaveClick() {
  const SettingsFormCheck check = CheckSettingsForm(ReadSettings(), ReadTexts());
  if (check.rescanDelayMin) m_rescanDelayMin = *check.rescanDelayMin;
  if (!check.message.empty()) {
    m_prompts.Error(this, Q(check.message));
    return;
  }
  if (m_commit) {
    const QString refused = m_commit();
    if (!refused.isEmpty()) {
      m_prompts.Error(this, refused);
      return;
    }
  }
  accept();
}

void TSettingsForm::ButtonAddFrequencyClick() {
  m_frequencyForm->Reset();
  if (m_prompts.RunModal(*m_frequencyForm) != QDialog::Accepted) return;
  m_frequencies->addItem(Q(FormatInt(m_frequencyForm->FrequencyHz())));
}

void TSettingsForm::ButtonDeleteFrequencyClick() {
  const QList<QListWidgetItem*> selected = m_frequencies->selectedItems();
  if (selected.isEmpty()) {
    m_prompts.Information(this,
                          QStringLiteral("Please select a frequency from list before pressing "
                                         "this button"));
    return;
  }
  QListWidgetItem* item = selected.front();
  if (!m_prompts.Confirm(this, QStringLiteral("Do you really want to remove ") + item->text() +
                                   QStringLiteral(" frequency from list?"))) {
    return;
  }
  delete m_frequencies->takeItem(m_frequencies->row(item));
  // A second press must not delete the neighbour without a new choice.
  m_frequencies->clearSelection();
  m_frequencies->setCurrentRow(-1);
}

void TSettingsForm::ButtonAddPresetClick() {
  if (PresetListFull(m_presets)) {
    m_prompts.Error(this, QStringLiteral("Max number of presets reached"));
    return;
  }
  m_presetForm->Clear();
  if (m_prompts.RunModal(*m_presetForm) != QDialog::Accepted) return;
  AddPreset(m_presets, m_presetForm->Preset());
  FillPresets(m_presetGrid->currentRow());
}

void TSettingsForm::ButtonDeletePresetClick() {
  const int row = m_presetGrid->currentRow();
  if (row < 0 || static_cast<std::size_t>(row) >= m_presets.size() ||
      m_presets[static_cast<std::size_t>(row)].name.empty()) {
    m_prompts.Error(this, QStringLiteral("Preset list is empty"));
    return;
  }
  const QString name = Q(m_presets[static_cast<std::size_t>(row)].name);
  if (!m_prompts.Confirm(this, QStringLiteral("Do you really want to remove ") + name +
                                   QStringLiteral(" from preset list?"))) {
    return;
  }
  DeletePreset(m_presets, static_cast<std::size_t>(row));
  FillPresets(row);
}

void TSettingsForm::ButtonRawDirClick() {
  const QString folder = m_prompts.PickFolder(
      this, QStringLiteral("Select a target directory for raw file"), Q(m_rawDir));
  if (folder.isEmpty()) return;
  m_rawDir = S(folder);
  ShowFolder(m_rawDirLabel, m_rawDir);
}

void TSettingsForm::ButtonMapDirClick() {
  const QString folder = m_prompts.PickFolder(
      this, QStringLiteral("Select a target directory for map files"), Q(m_mapDir));
  if (folder.isEmpty()) return;
  m_mapDir = S(folder);
  ShowFolder(m_mapDirLabel, m_mapDir);
}

void TSettingsForm::CheckBoxAprsEnableClick(bool checked) {
  if (!checked) m_aprsAutoStart->setChecked(false);
  UpdateAprsEnabling();
}

void TSettingsForm::UpdateAprsEnabling() {
  const bool enabled = m_aprsEnable->isChecked();
  for (QWidget* control : m_aprsControls) control->setEnabled(enabled);
  const bool zone = enabled && !m_world->isChecked();
  for (QWidget* control : m_zoneControls) control->setEnabled(zone);
}

void TSettingsForm::UpdateMapModeEnabling() {
  m_autosaveMaps->setEnabled(m_onlineMode->isChecked());
}

}  // namespace windlark
