// The settings dialog's tabs and their controls.

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <utility>

#include "app/ui/AudioDeviceDelegate.h"
#include "app/ui/SettingsForm.h"

namespace windlark {

namespace {

QString Text(const char* text) {
  return QString::fromUtf8(text);
}

QCheckBox* Check(const char* name, const char* text) {
  auto* box = new QCheckBox(Text(text));
  box->setObjectName(Text(name));
  return box;
}

QRadioButton* Radio(const char* name, const char* text) {
  auto* radio = new QRadioButton(Text(text));
  radio->setObjectName(Text(name));
  return radio;
}

QPushButton* Button(const char* name, const char* text) {
  auto* button = new QPushButton(Text(text));
  button->setObjectName(Text(name));
  button->setAutoDefault(false);
  return button;
}

// A free-text field wide enough for `chars` digits.
QLineEdit* Field(const char* name, int chars) {
  auto* edit = new QLineEdit;
  edit->setObjectName(Text(name));
  edit->setFixedWidth(edit->fontMetrics().horizontalAdvance(QString(chars, QLatin1Char('0'))) + 14);
  return edit;
}

// A number with arrows; with `readOnlyField` only the arrows (and the arrow keys) change it.
QSpinBox* UpDown(const char* name, int low, int high, bool readOnlyField) {
  auto* spin = new QSpinBox;
  spin->setObjectName(Text(name));
  spin->setRange(low, high);
  spin->setFixedWidth(spin->fontMetrics().horizontalAdvance(QStringLiteral("0000")) + 40);
  if (readOnlyField) {
    if (auto* edit = spin->findChild<QLineEdit*>()) edit->setReadOnly(true);
  }
  return spin;
}

QComboBox* Choice(const char* name, const QStringList& items) {
  auto* combo = new QComboBox;
  combo->setObjectName(Text(name));
  combo->addItems(items);
  return combo;
}

// A serial port: the system's ports to choose from, or any device path typed in.
QComboBox* PortChoice(const char* name) {
  auto* combo = new QComboBox;
  combo->setObjectName(Text(name));
  combo->setEditable(true);
  combo->setInsertPolicy(QComboBox::NoInsert);
  combo->setMinimumWidth(combo->fontMetrics().horizontalAdvance(QStringLiteral("/dev/ttyUSB00")) +
                         40);
  return combo;
}

QStringList BaudRates() {
  QStringList rates;
  for (const int rate : kBaudRates) rates << QString::number(rate);
  return rates;
}

QLabel* PathLabel(const char* name) {
  auto* label = new QLabel;
  label->setObjectName(Text(name));
  label->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
  // Fixed, so a long path is elided instead of widening the dialog.
  label->setFixedWidth(540);
  label->setTextInteractionFlags(Qt::TextSelectableByMouse);
  return label;
}

// Radio buttons in a group box, one per row, with ids 0, 1, ….
QGroupBox* RadioGroup(const char* title, const char* namePrefix, const QStringList& items,
                      QButtonGroup*& group, QObject* owner) {
  auto* box = new QGroupBox(Text(title));
  auto* layout = new QVBoxLayout(box);
  group = new QButtonGroup(owner);
  for (int i = 0; i < items.size(); ++i) {
    auto* radio = new QRadioButton(items[i]);
    radio->setObjectName(Text(namePrefix) + QString::number(i));
    group->addButton(radio, i);
    layout->addWidget(radio);
  }
  return box;
}

QWidget* Page(QLayout* layout) {
  auto* page = new QWidget;
  page->setLayout(layout);
  return page;
}

QHBoxLayout* Row(std::initializer_list<QWidget*> widgets, bool stretch = true) {
  auto* row = new QHBoxLayout;
  for (QWidget* widget : widgets) row->addWidget(widget);
  if (stretch) row->addStretch();
  return row;
}

}  // namespace

QWidget* TSettingsForm::BuildAudioTab() {
  m_audioList = new QListWidget;
  m_audioList->setObjectName(QStringLiteral("ListAudioDevices"));
  m_audioList->setItemDelegate(new TAudioDeviceDelegate(m_audioList));
  m_audioList->setSelectionMode(QAbstractItemView::SingleSelection);
  m_audioList->setUniformItemSizes(true);
  for (const std::string& name : m_audioDevices) {
    m_audioList->addItem(QString::fromStdString(name));
  }
  m_audioAutorun =
      Check("CheckBoxAudioAutorun", "Automatically start Audio decoding when software starts");

  // The enhanced chain first: it is the default.
  m_demodulator = Choice("ComboDemodulator", {Text("Enhanced"), Text("Standard")});
  auto* demodulatorRow = new QHBoxLayout;
  demodulatorRow->addWidget(new QLabel(Text("Demodulator")));
  demodulatorRow->addWidget(m_demodulator);
  demodulatorRow->addStretch();

  auto* layout = new QVBoxLayout;
  layout->addWidget(new QLabel(Text("Select the input audio source to use")));
  layout->addWidget(m_audioList, 1);
  layout->addWidget(m_audioAutorun);
  layout->addLayout(demodulatorRow);
  return Page(layout);
}

QWidget* TSettingsForm::BuildRadioTab() {
  m_netRemotePort = Field("EditNetRemotePort", 6);
  m_frequencies = new QListWidget;
  m_frequencies->setObjectName(QStringLiteral("ListFrequencies"));
  m_frequencies->setSelectionMode(QAbstractItemView::SingleSelection);
  m_frequencies->setFixedWidth(
      m_frequencies->fontMetrics().horizontalAdvance(QStringLiteral("0000000000")) + 40);
  auto* add = Button("ButtonAddFrequency", "Add Frequency");
  auto* remove = Button("ButtonDeleteFrequency", "Delete Frequency");
  connect(add, &QPushButton::clicked, this, &TSettingsForm::ButtonAddFrequencyClick);
  connect(remove, &QPushButton::clicked, this, &TSettingsForm::ButtonDeleteFrequencyClick);
  m_radioAutorun =
      Check("CheckBoxRadioAutorun", "Automatically start Radio interface when software starts");
  m_restartScan = Check("CheckBoxRestartScan", "Restart scan after ");
  m_rearmTime = Field("EditRearmTime", 5);

  auto* listButtons = new QVBoxLayout;
  listButtons->addWidget(add);
  listButtons->addWidget(remove);
  listButtons->addStretch();
  auto* list = new QGridLayout;
  list->addWidget(new QLabel(Text("Frequencies list")), 0, 0);
  list->addWidget(m_frequencies, 1, 0);
  list->addLayout(listButtons, 1, 1);
  list->setColumnStretch(2, 1);

  // The receiver's link: SDR#'s Net Remote, or rigctl for gqrx, SDR++ and rigctld.
  m_netRemoteLink = Radio("RadioLinkNetRemote", "SDR# Net Remote");
  m_rigctlLink = Radio("RadioLinkRigctl", "rigctl (gqrx, SDR++, rigctld)");
  m_netRemoteLink->setChecked(true);
  auto* linkGroup = new QButtonGroup(this);
  linkGroup->addButton(m_netRemoteLink, 0);
  linkGroup->addButton(m_rigctlLink, 1);
  m_rigctlHost = new QLineEdit;
  m_rigctlHost->setObjectName(Text("EditRigctlHost"));
  m_rigctlPort = UpDown("SpinRigctlPort", 1, 65535, false);
  m_rigctlPort->setFixedWidth(m_rigctlPort->fontMetrics().horizontalAdvance(Text("000000")) + 40);

  auto* layout = new QVBoxLayout;
  layout->addLayout(Row({m_netRemoteLink, new QLabel(Text("NetRemote port")), m_netRemotePort}));
  layout->addLayout(Row({m_rigctlLink, m_rigctlHost, m_rigctlPort}));
  layout->addSpacing(6);
  layout->addLayout(list, 1);
  layout->addWidget(m_radioAutorun);
  layout->addLayout(Row({m_restartScan, m_rearmTime, new QLabel(Text("minutes of inactivity"))}));
  return Page(layout);
}

QWidget* TSettingsForm::BuildLogFilesTab() {
  m_saveRaw = Check("CheckBoxSaveRaw", "Save Rs41 RAW Data on file");
  m_rawDirLabel = PathLabel("LabelRawDir");
  auto* browse = Button("ButtonRawDir", "...");
  browse->setFixedWidth(32);
  connect(browse, &QPushButton::clicked, this, &TSettingsForm::ButtonRawDirClick);

  auto* group = new QGroupBox(Text("Rs 41 Raw Data "));
  auto* inner = new QVBoxLayout(group);
  inner->addWidget(m_saveRaw);
  inner->addWidget(new QLabel(Text("Target Folder")));
  inner->addLayout(Row({m_rawDirLabel, browse}));

  auto* layout = new QVBoxLayout;
  layout->addWidget(group);
  layout->addStretch();
  return Page(layout);
}

QWidget* TSettingsForm::BuildHomeLocation() {
  m_homeLatitude = Field("EditHomeLatitude", 12);
  m_homeLongitude = Field("EditHomeLongitude", 12);
  m_homeAltitude = Field("EditHomeAltitude", 6);
  auto* group = new QGroupBox(Text("Home Location"));
  auto* grid = new QGridLayout(group);
  const std::pair<const char*, std::pair<QLineEdit*, const char*>> rows[] = {
      {"Latitude", {m_homeLatitude, "Deg"}},
      {"Longitude", {m_homeLongitude, "Deg"}},
      {"Altitude asl", {m_homeAltitude, "m"}}};
  int r = 0;
  for (const auto& [caption, field] : rows) {
    grid->addWidget(new QLabel(Text(caption)), r, 0);
    grid->addLayout(Row({field.first, new QLabel(Text(field.second))}), r, 1);
    ++r;
  }
  grid->setColumnStretch(1, 1);
  return group;
}

QWidget* TSettingsForm::BuildMapsTab() {
  m_mapType = Choice("ComboMapType", {Text("OpenStreetMap"), Text("OpenTopoMap")});
  auto* typeGroup = new QGroupBox(Text("Default Map Type  "));
  auto* typeLayout = new QHBoxLayout(typeGroup);
  typeLayout->addWidget(m_mapType);
  typeLayout->addStretch();

  m_onlineMode = Radio("RadioOnlineMap", "Online Map Mode");
  m_offlineMode = Radio("RadioOfflineMap", "Offline Map Mode");
  m_autosaveMaps = Check("CheckBoxAutosaveMaps", "Autosave maps");
  m_mapDirLabel = PathLabel("LabelMapDir");
  auto* browse = Button("ButtonMapDir", "...");
  browse->setFixedWidth(32);
  connect(browse, &QPushButton::clicked, this, &TSettingsForm::ButtonMapDirClick);
  connect(m_onlineMode, &QRadioButton::toggled, this, &TSettingsForm::UpdateMapModeEnabling);
  auto* modeGroup = new QGroupBox(Text("Default Map Mode "));
  auto* mode = new QGridLayout(modeGroup);
  mode->addWidget(m_onlineMode, 0, 0);
  mode->addWidget(m_autosaveMaps, 0, 1);
  mode->addWidget(m_offlineMode, 1, 0);
  mode->addWidget(new QLabel(Text("Map Folder")), 2, 0, 1, 2);
  mode->addLayout(Row({m_mapDirLabel, browse}), 3, 0, 1, 2);
  mode->setColumnStretch(1, 1);

  m_zoomLevel = UpDown("SpinZoomLevel", 3, 19, false);

  auto* layout = new QVBoxLayout;
  layout->addWidget(typeGroup);
  layout->addWidget(modeGroup);
  layout->addLayout(Row({new QLabel(Text("Default zoom level")), m_zoomLevel}));
  layout->addWidget(BuildHomeLocation());
  layout->addStretch();
  return Page(layout);
}

QWidget* TSettingsForm::BuildUnitsTab() {
  const QStringList units = {Text("m/s"), Text("km/h"), Text("kts")};
  auto* layout = new QHBoxLayout;
  auto* wind = RadioGroup("Wind Speed ", "RadioWindSpeed", units, m_windUnit, this);
  auto* vertical = RadioGroup("Vertical Speed ", "RadioVerticalSpeed", units, m_verticalUnit, this);
  auto* column = new QVBoxLayout;
  column->addWidget(wind);
  column->addStretch();
  auto* column2 = new QVBoxLayout;
  column2->addWidget(vertical);
  column2->addStretch();
  layout->addLayout(column);
  layout->addLayout(column2);
  layout->addStretch();
  return Page(layout);
}

QWidget* TSettingsForm::BuildUpdatesTab() {
  m_checkUpdates = Check("CheckBoxCheckUpdates", "Check updates at software startup");
  m_versionFileUrl = new QLineEdit;
  m_versionFileUrl->setObjectName(Text("EditVersionFile"));
  auto* layout = new QVBoxLayout;
  layout->addWidget(m_checkUpdates);
  layout->addWidget(new QLabel(Text("Version file address")));
  layout->addWidget(m_versionFileUrl);
  layout->addStretch();
  return Page(layout);
}

QWidget* TSettingsForm::BuildPresets() {
  m_presetGrid = new QTableWidget(1, 3);
  m_presetGrid->setObjectName(QStringLiteral("GridPresets"));
  m_presetGrid->setHorizontalHeaderLabels({Text("Name"), Text("Az"), Text("El")});
  m_presetGrid->verticalHeader()->hide();
  // Rows of 17 pixels, unless the font needs more.
  const int rowHeight = std::max(17, m_presetGrid->fontMetrics().height() + 2);
  m_presetGrid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  m_presetGrid->verticalHeader()->setMinimumSectionSize(rowHeight);
  m_presetGrid->verticalHeader()->setDefaultSectionSize(rowHeight);
  m_presetGrid->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  m_presetGrid->horizontalHeader()->setHighlightSections(false);
  m_presetGrid->horizontalHeader()->setFixedHeight(rowHeight + 2);
  m_presetGrid->setColumnWidth(0, 155);
  // Three digits need a little more than 30 pixels in today's fonts.
  const int numberWidth =
      std::max(30, m_presetGrid->fontMetrics().horizontalAdvance(QStringLiteral("000")) + 12);
  m_presetGrid->setColumnWidth(1, numberWidth);
  m_presetGrid->setColumnWidth(2, numberWidth);
  m_presetGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
  m_presetGrid->setSelectionBehavior(QAbstractItemView::SelectRows);
  m_presetGrid->setSelectionMode(QAbstractItemView::SingleSelection);
  m_presetGrid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  m_presetGrid->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  m_presetGrid->setFixedWidth(155 + 2 * numberWidth + 2 * m_presetGrid->frameWidth() +
                              m_presetGrid->style()->pixelMetric(QStyle::PM_ScrollBarExtent));
  m_presetGrid->setFixedHeight((rowHeight + 2) + 6 * rowHeight + 2 * m_presetGrid->frameWidth());

  auto* add = Button("ButtonAddPreset", "Add preset");
  auto* remove = Button("ButtonDeletePreset", "Delete preset");
  connect(add, &QPushButton::clicked, this, &TSettingsForm::ButtonAddPresetClick);
  connect(remove, &QPushButton::clicked, this, &TSettingsForm::ButtonDeletePresetClick);
  auto* group = new QGroupBox(Text("Presets "));
  auto* layout = new QVBoxLayout(group);
  layout->addWidget(m_presetGrid);
  layout->addLayout(Row({add, remove}));
  return group;
}

QWidget* TSettingsForm::BuildRotorTab() {
  auto* typeGroup = RadioGroup("Rotor Type ", "RadioRotorType",
                               {Text("Yaesu AZ/EL (GS232 A/ GS232B)"), Text("Registry keys"),
                                Text("EasyComm"), Text("Raw"), Text("hamlib rotctld")},
                               m_rotorProtocol, this);
  m_rotorPort = PortChoice("ComboRotorPort");
  m_rotorSpeed = Choice("ComboRotorSpeed", BaudRates());
  auto* portGroup = new QGroupBox(Text("Serial Port "));
  auto* port = new QGridLayout(portGroup);
  port->addWidget(m_rotorPort, 0, 0, 1, 2);
  port->addWidget(m_rotorSpeed, 1, 0);
  port->addWidget(new QLabel(Text("8N1")), 1, 1);
  port->setColumnStretch(1, 1);

  m_sensitivity = UpDown("SpinSensitivity", 1, 90, true);
  m_queryPeriod = UpDown("SpinQueryPeriod", 0, 300, true);
  auto* tracking = new QGridLayout;
  tracking->addWidget(new QLabel(Text("Sensitivity (Deg) :")), 0, 0);
  tracking->addWidget(m_sensitivity, 0, 1);
  tracking->addWidget(new QLabel(Text("Query position period (s)")), 1, 0);
  tracking->addWidget(m_queryPeriod, 1, 1);
  tracking->setColumnStretch(2, 1);

  m_rotctldHost = new QLineEdit;
  m_rotctldHost->setObjectName(Text("EditRotctldHost"));
  m_rotctldPort = UpDown("SpinRotctldPort", 1, 65535, false);
  m_rotctldPort->setFixedWidth(m_rotctldPort->fontMetrics().horizontalAdvance(Text("000000")) + 40);
  auto* rotctldGroup = new QGroupBox(Text("rotctld "));
  auto* rotctld = new QHBoxLayout(rotctldGroup);
  rotctld->addWidget(m_rotctldHost);
  rotctld->addWidget(m_rotctldPort);

  auto* left = new QVBoxLayout;
  left->addWidget(typeGroup);
  left->addWidget(portGroup);
  left->addWidget(rotctldGroup);
  left->addStretch();
  auto* right = new QVBoxLayout;
  right->addWidget(BuildPresets());
  right->addLayout(tracking);
  right->addStretch();
  auto* layout = new QHBoxLayout;
  layout->addLayout(left);
  layout->addLayout(right);
  return Page(layout);
}

QWidget* TSettingsForm::BuildLoginGroup() {
  m_callSign = Field("EditCallsign", 12);
  m_password = Field("EditPassword", 6);
  m_homePosition = Check("CheckBoxHomePosition", "Send home position using ");
  m_homeSsid = UpDown("SpinHomeSsid", 1, 15, true);
  auto* callLabel = new QLabel(Text("Callsign"));
  auto* passwordLabel = new QLabel(Text("Password"));
  auto* ssidLabel = new QLabel(Text("as SSID "));
  auto* group = new QGroupBox(Text("Login Information "));
  auto* grid = new QGridLayout(group);
  grid->addWidget(callLabel, 0, 0);
  grid->addWidget(m_callSign, 0, 1);
  grid->addWidget(passwordLabel, 0, 2);
  grid->addWidget(m_password, 0, 3);
  grid->addLayout(Row({m_homePosition, m_homeSsid, ssidLabel}), 1, 0, 1, 5);
  grid->setColumnStretch(4, 1);
  m_aprsControls.insert(m_aprsControls.end(), {group, callLabel, m_callSign, passwordLabel,
                                               m_password, m_homePosition, m_homeSsid, ssidLabel});
  return group;
}

QWidget* TSettingsForm::BuildServersGroup() {
  auto* group = new QGroupBox(Text("Available Servers "));
  auto* grid = new QGridLayout(group);
  m_servers = new QButtonGroup(this);
  const char* regions[] = {"Europe / Africa", "Australia / New Zealand", "North America",
                           "South America"};
  for (int i = 0; i < 4; ++i) {
    auto* radio = new QRadioButton(Text(regions[i]));
    radio->setObjectName(QStringLiteral("RadioServer") + QString::number(i + 1));
    m_servers->addButton(radio, i + 1);
    grid->addWidget(radio, i / 2, i % 2);
    m_aprsControls.push_back(radio);
  }
  grid->setColumnStretch(2, 1);
  m_aprsControls.push_back(group);
  return group;
}

QWidget* TSettingsForm::BuildMonitoringGroup() {
  m_localZone = Radio("RadioLocalZone", "Local zone (Launch site)");
  m_world = Radio("RadioWorld", "World");
  m_launchLatitude = Field("EditLaunchLatitude", 11);
  m_launchLongitude = Field("EditLaunchLongitude", 11);
  m_range = Field("EditRange", 5);
  connect(m_world, &QRadioButton::toggled, this, &TSettingsForm::UpdateAprsEnabling);

  auto* group = new QGroupBox(Text("Monitoring Mode Settings "));
  auto* grid = new QGridLayout(group);
  grid->addWidget(m_localZone, 0, 0, 1, 2);
  grid->addWidget(m_world, 0, 2);
  const std::pair<const char*, std::pair<QLineEdit*, const char*>> rows[] = {
      {"Latitude", {m_launchLatitude, "Deg"}},
      {"Longitude", {m_launchLongitude, "Deg"}},
      {"Range", {m_range, "km"}}};
  int r = 1;
  for (const auto& [caption, field] : rows) {
    auto* label = new QLabel(Text(caption));
    auto* unit = new QLabel(Text(field.second));
    grid->addWidget(label, r, 0);
    grid->addLayout(Row({field.first, unit}), r, 1, 1, 2);
    m_zoneControls.insert(m_zoneControls.end(), {label, field.first, unit});
    ++r;
  }
  grid->setColumnStretch(3, 1);
  m_aprsControls.insert(m_aprsControls.end(), {group, m_localZone, m_world});
  return group;
}

QWidget* TSettingsForm::BuildAprsTab() {
  m_aprsEnable = Check("CheckBoxAprsEnable", "Enable APRS Settings");
  m_aprsAutoStart =
      Check("CheckBoxAprsAutoStart", "Automatically connect APRS when software starts");
  connect(m_aprsEnable, &QCheckBox::toggled, this, &TSettingsForm::CheckBoxAprsEnableClick);

  auto* layout = new QVBoxLayout;
  layout->addWidget(m_aprsEnable);
  layout->addWidget(BuildLoginGroup());
  layout->addWidget(BuildServersGroup());
  layout->addWidget(BuildMonitoringGroup());
  layout->addWidget(m_aprsAutoStart);
  layout->addStretch();
  m_aprsControls.push_back(m_aprsAutoStart);
  return Page(layout);
}

QWidget* TSettingsForm::BuildGpsTab() {
  auto* nmea = Radio("RadioGpsNmea", "NMEA 0183");
  nmea->setChecked(true);
  auto* protocol = new QGroupBox(Text("GPS Protocol "));
  auto* protocolLayout = new QVBoxLayout(protocol);
  protocolLayout->addWidget(nmea);

  m_gpsPort = PortChoice("ComboGpsPort");
  m_gpsSpeed = Choice("ComboGpsSpeed", BaudRates());
  m_gpsDataBits = Choice("ComboGpsDataBits", {Text("7"), Text("8")});
  m_gpsParity = Choice("ComboGpsParity",
                       {Text("None"), Text("Odd"), Text("Even"), Text("Mark."), Text("Space")});
  m_gpsStopBits = Choice("ComboGpsStopBits", {Text("1"), Text("1.5"), Text("2")});
  auto* port = new QGroupBox(Text("Serial Port "));
  auto* form = new QFormLayout(port);
  form->addRow(Text("GPS port name"), m_gpsPort);
  form->addRow(Text("Baud Rate"), m_gpsSpeed);
  form->addRow(Text("Data bits"), m_gpsDataBits);
  form->addRow(Text("Parity"), m_gpsParity);
  form->addRow(Text("Stop bits"), m_gpsStopBits);
  form->setFieldGrowthPolicy(QFormLayout::FieldsStayAtSizeHint);

  m_gpsSerial = Radio("RadioGpsSerial", "Serial port");
  m_gpsd = Radio("RadioGpsd", "gpsd");
  m_gpsSerial->setChecked(true);
  m_gpsdHost = new QLineEdit;
  m_gpsdHost->setObjectName(Text("EditGpsdHost"));
  m_gpsdPort = UpDown("SpinGpsdPort", 1, 65535, false);
  m_gpsdPort->setFixedWidth(m_gpsdPort->fontMetrics().horizontalAdvance(Text("000000")) + 40);
  auto* source = new QGroupBox(Text("Source "));
  auto* sourceLayout = new QGridLayout(source);
  sourceLayout->addWidget(m_gpsSerial, 0, 0);
  sourceLayout->addWidget(m_gpsd, 1, 0);
  sourceLayout->addWidget(m_gpsdHost, 1, 1);
  sourceLayout->addWidget(m_gpsdPort, 1, 2);

  m_chaseMapFeed = Check("CheckBoxChaseMap", "Send the sonde position to the chase map (UDP)");
  m_chaseMapHost = new QLineEdit;
  m_chaseMapHost->setObjectName(Text("EditChaseMapHost"));
  m_chaseMapPort = UpDown("SpinChaseMapPort", 1, 65535, false);
  m_chaseMapPort->setFixedWidth(m_gpsdPort->width());
  auto* chase = new QGroupBox(Text("Chase map "));
  auto* chaseLayout = new QGridLayout(chase);
  chaseLayout->addWidget(m_chaseMapFeed, 0, 0, 1, 2);
  chaseLayout->addWidget(m_chaseMapHost, 1, 0);
  chaseLayout->addWidget(m_chaseMapPort, 1, 1);

  auto* layout = new QVBoxLayout;
  layout->addWidget(protocol);
  layout->addWidget(source);
  layout->addWidget(port);
  layout->addWidget(chase);
  layout->addStretch();
  return Page(layout);
}

QWidget* TSettingsForm::BuildSondeHubTab() {
  m_sondeHubEnable = Check("CheckBoxSondeHubEnable", "Upload telemetry to SondeHub");
  m_sondeHubCallsign = new QLineEdit;
  m_sondeHubCallsign->setObjectName(Text("EditSondeHubCallsign"));
  m_sondeHubCallsign->setMaxLength(32);
  m_sondeHubAntenna = new QLineEdit;
  m_sondeHubAntenna->setObjectName(Text("EditSondeHubAntenna"));
  m_sondeHubAntenna->setMaxLength(64);
  m_sondeHubMobile = Check("CheckBoxSondeHubMobile", "Mobile station");
  m_sondeHubTestMode =
      Check("CheckBoxSondeHubTestMode", "Test mode (the service checks uploads, stores none)");

  auto* station = new QGroupBox(Text("Station "));
  auto* form = new QFormLayout(station);
  form->addRow(Text("Uploader callsign"), m_sondeHubCallsign);
  form->addRow(Text("Antenna"), m_sondeHubAntenna);
  form->addRow(m_sondeHubMobile);
  auto* position =
      new QLabel(Text("The station position is the home position (Maps tab). Encrypted RS41-SGM\n"
                      "frames are never uploaded; replayed raw files only in test mode."));
  position->setObjectName(Text("LabelSondeHubNote"));

  auto* layout = new QVBoxLayout;
  layout->addWidget(m_sondeHubEnable);
  layout->addWidget(station);
  layout->addWidget(m_sondeHubTestMode);
  layout->addWidget(position);
  layout->addStretch();
  return Page(layout);
}

}  // namespace windlark
