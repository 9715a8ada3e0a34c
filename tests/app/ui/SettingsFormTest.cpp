#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QListWidget>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>
#include <functional>
#include <set>

#include "app/SettingsChecks.h"
#include "app/ui/Form4.h"
#include "app/ui/RotorPreset.h"
#include "app/ui/SettingsFormRig.h"

namespace windlark {
namespace {

using test::SettingsFormRig;

// Every caption a page shows: labels, buttons, group titles, list entries, grid headers.
std::set<std::string> CaptionsOf(const QWidget* page) {
  std::set<std::string> captions;
  for (const auto* label : page->findChildren<QLabel*>())
    captions.insert(label->text().toStdString());
  for (const auto* button : page->findChildren<QAbstractButton*>()) {
    captions.insert(button->text().toStdString());
  }
  for (const auto* group : page->findChildren<QGroupBox*>()) {
    captions.insert(group->title().toStdString());
  }
  for (const auto* combo : page->findChildren<QComboBox*>()) {
    if (combo->isEditable()) continue;
    for (int i = 0; i < combo->count(); ++i) captions.insert(combo->itemText(i).toStdString());
  }
  for (const auto* grid : page->findChildren<QTableWidget*>()) {
    for (int c = 0; c < grid->columnCount(); ++c) {
      captions.insert(grid->horizontalHeaderItem(c)->text().toStdString());
    }
  }
  return captions;
}

TEST_F(SettingsFormRig, BuildsEveryTabWithItsCaptionsAndLimits) {
  EXPECT_EQ(m_form->windowTitle(), "Settings");
  EXPECT_FALSE(m_form->windowFlags() & Qt::WindowCloseButtonHint);
  EXPECT_EQ(Find<QAbstractButton>("ButtonSave")->text(), "Save");
  EXPECT_EQ(Find<QAbstractButton>("ButtonCancel")->text(), "Cancel");

  const std::vector<std::pair<const char*, std::vector<const char*>>> tabs = {
      {"Audio",
       {"Select the input audio source to use",
        "Automatically start Audio decoding when software starts"}},
      {"Radio Interface",
       {"NetRemote port", "Frequencies list", "Add Frequency", "Delete Frequency",
        "Automatically start Radio interface when software starts", "Restart scan after ",
        "minutes of inactivity"}},
      {"Log Files", {"Save Rs41 RAW Data on file", "Rs 41 Raw Data ", "Target Folder", "..."}},
      {"Maps",
       {"Default Map Type  ", "OpenStreetMap", "OpenTopoMap", "Default Map Mode ",
        "Online Map Mode", "Offline Map Mode", "Autosave maps", "Map Folder", "...",
        "Default zoom level", "Home Location", "Latitude", "Longitude", "Altitude asl", "Deg",
        "m"}},
      {"Meas Units", {"Wind Speed ", "Vertical Speed ", "m/s", "km/h", "kts"}},
      {"Updates", {"Check updates at software startup"}},
      {"Antenna Rotor",
       {"Rotor Type ",
        "Yaesu AZ/EL (GS232 A/ GS232B)",
        "Registry keys",
        "EasyComm",
        "Raw",
        "Serial Port ",
        "8N1",
        "1200",
        "2400",
        "4800",
        "9600",
        "19200",
        "38400",
        "57600",
        "115200",
        "Presets ",
        "Name",
        "Az",
        "El",
        "Add preset",
        "Delete preset",
        "Sensitivity (Deg) :",
        "Query position period (s)"}},
      {"APRS",
       {"Enable APRS Settings",
        "Login Information ",
        "Callsign",
        "Password",
        "Send home position using ",
        "as SSID ",
        "Available Servers ",
        "Europe / Africa",
        "Australia / New Zealand",
        "North America",
        "South America",
        "Monitoring Mode Settings ",
        "Local zone (Launch site)",
        "World",
        "Latitude",
        "Longitude",
        "Range",
        "Deg",
        "km",
        "Automatically connect APRS when software starts"}},
      {"GPS IN",
       {"GPS Protocol ", "NMEA 0183", "Serial Port ", "GPS port name", "Baud Rate", "Data bits",
        "7", "8", "Parity", "None", "Odd", "Even", "Mark.", "Space", "Stop bits", "1", "1.5", "2",
        "4800"}},
      {"SondeHub",
       {"Upload telemetry to SondeHub", "Station ", "Uploader callsign", "Antenna",
        "Mobile station", "Test mode (the service checks uploads, stores none)"}},
  };
  const auto* pages = Find<QTabWidget>("PageControl");
  ASSERT_EQ(pages->count(), static_cast<int>(tabs.size()));
  for (int i = 0; i < pages->count(); ++i) {
    const auto& [title, captions] = tabs[static_cast<std::size_t>(i)];
    EXPECT_EQ(pages->tabText(i), title);
    const std::set<std::string> shown = CaptionsOf(pages->widget(i));
    for (const char* caption : captions) {
      EXPECT_TRUE(shown.count(caption)) << title << ": \"" << caption << "\"";
    }
  }

  const auto range = [&](const char* name) {
    const auto* spin = Find<QSpinBox>(name);
    return std::pair(spin->minimum(), spin->maximum());
  };
  EXPECT_EQ(range("SpinZoomLevel"), std::pair(3, 19));
  EXPECT_EQ(range("SpinHomeSsid"), std::pair(1, 15));
  EXPECT_EQ(range("SpinSensitivity").first, 1);
  EXPECT_EQ(range("SpinQueryPeriod"), std::pair(0, 300));
  const auto* grid = Find<QTableWidget>("GridPresets");
  EXPECT_EQ(grid->columnWidth(0), 155);
  EXPECT_GE(grid->columnWidth(1), 30);
  EXPECT_GE(grid->verticalHeader()->defaultSectionSize(), 17);
  EXPECT_EQ(m_form->FrequencyForm().windowTitle(), "Add new frequency");
  EXPECT_EQ(m_form->PresetForm().windowTitle(), "Insert new preset");
  EXPECT_EQ(m_form->RescanDelayMin(), 2);
}

// Everything wrong at once; each press of "Save" names the first fault left, the dialog
// stays open, and fixing it brings up the next one.
TEST_F(SettingsFormRig, SaveReportsTheFirstFailingCheckInOrder) {
  LoadedSettings loaded = Store().Load(m_devices);
  loaded.settings.aprs.enable = true;
  loaded.settings.aprs.homePositionEnable = true;
  loaded.settings.aprs.homeSsid = 5;
  loaded.settings.aprs.serverNum = 0;
  loaded.settings.aprs.monitoringMode = 1;
  m_form->Fill(loaded);
  int accepted = 0;
  QObject::connect(m_form.get(), &QDialog::accepted, [&] { ++accepted; });

  Type("EditNetRemotePort", "65536");
  Type("EditHomeLatitude", "44,5386");
  Type("EditHomeLongitude", "east");
  Type("EditCallsign", "AB1CD");
  Type("EditPassword", "65536");
  Type("EditLaunchLatitude", "north");
  Type("EditLaunchLongitude", "");
  Type("EditRange", "0");
  Type("EditRearmTime", "1");
  Type("EditHomeAltitude", "112.5");

  struct Step {
    const char* message;
    std::function<void()> fix;
  };
  const Step steps[] = {
      {"Invalid value in Radio Interface->NetRemote port",
       [&] { Type("EditNetRemotePort", "3382"); }},
      {"Invalid value in Maps->Latitude value\rPlease use DD.DDDD format",
       [&] { Type("EditHomeLatitude", "44.5386"); }},
      {"Invalid value in Maps->Longitude value\rPlease use DD.DDDD format",
       [&] { Type("EditHomeLongitude", "-7.6125"); }},
      {"Invalid Callsign in Aprs settings\rPlease insert a valid one",
       [&] { Type("EditCallsign", "AB1CD-X"); }},
      {"'X' is not a valid integer value", [&] { Type("EditCallsign", "AB1CD-16"); }},
      {"Invalid Callsign in Aprs settings\rCallsign SSID bust be between 1 and 15 ",
       [&] { Type("EditCallsign", "ab1cd-5"); }},
      {"Invalid Aprs settings\rCallsign SSID must be different from Home position SSDD ",
       [&] { Type("EditCallsign", "ab1cd-7"); }},
      {"Invalid Password in Aprs settings\rPlease insert a valid one",
       [&] { Type("EditPassword", "12345"); }},
      {"Please specify an APRS server\r(basing on your grographical position)",
       [&] { Click("RadioServer3"); }},
      {"Invalid Latitude in APRS->Latitude\rPlease use DD.DDDD format",
       [&] { Type("EditLaunchLatitude", "45.1"); }},
      {"Invalid Longitude in APRS->Longitude\rPlease use DD.DDDD format",
       [&] { Type("EditLaunchLongitude", "7.25"); }},
      {"Invalid Range in APRS->Range", [&] { Type("EditRange", "150"); }},
      {"Invalid value in Radio Interface-> Inactivity minutes to restart scan\r"
       "Please enter a number between 2 and 1440",
       [&] { Type("EditRearmTime", "7"); }},
      // The save would refuse it; the dialog says so while the edits are still there.
      {"Invalid value in Maps->Altitude asl\rPlease use a whole number of meters",
       [&] { Type("EditHomeAltitude", "112"); }},
  };
  for (const Step& step : steps) {
    Click("ButtonSave");
    EXPECT_EQ(m_prompts.Last().kind, "error");
    EXPECT_EQ(m_prompts.Last().text, step.message);
    EXPECT_EQ(accepted, 0) << step.message;
    step.fix();
  }
  EXPECT_EQ(m_form->RescanDelayMin(), 7);  // took effect before the altitude was refused
  const std::size_t shown = m_prompts.shown.size();
  Click("ButtonSave");
  EXPECT_EQ(accepted, 1);
  EXPECT_EQ(m_prompts.shown.size(), shown);
  EXPECT_EQ(m_form->ReadSettings().aprs.serverNum, 3);
}

TEST_F(SettingsFormRig, AprsAndMapModeEnablingRules) {
  LoadedSettings loaded = Store().Load(m_devices);
  loaded.settings.aprs.enable = true;
  loaded.settings.aprs.autoStart = true;
  loaded.settings.aprs.monitoringMode = 1;
  m_form->Fill(loaded);
  auto* autoStart = Find<QCheckBox>("CheckBoxAprsAutoStart");
  auto* callSign = Find<QWidget>("EditCallsign");
  auto* server = Find<QWidget>("RadioServer2");
  auto* range = Find<QWidget>("EditRange");
  EXPECT_TRUE(autoStart->isEnabled() && callSign->isEnabled() && range->isEnabled());

  Click("RadioWorld");
  EXPECT_FALSE(range->isEnabled());
  EXPECT_FALSE(Find<QWidget>("EditLaunchLatitude")->isEnabled());
  EXPECT_TRUE(callSign->isEnabled());
  Click("RadioLocalZone");
  EXPECT_TRUE(range->isEnabled());

  Click("CheckBoxAprsEnable");  // off
  EXPECT_FALSE(autoStart->isChecked());
  for (QWidget* w : {static_cast<QWidget*>(autoStart), callSign, server, range,
                     Find<QWidget>("SpinHomeSsid"), Find<QWidget>("RadioWorld")}) {
    EXPECT_FALSE(w->isEnabled()) << w->objectName().toStdString();
  }
  EXPECT_TRUE(Find<QWidget>("CheckBoxAprsEnable")->isEnabled());
  Click("RadioWorld");  // disabled: nothing happens
  Find<QRadioButton>("RadioWorld")->setChecked(true);
  Click("CheckBoxAprsEnable");  // on again, in world mode
  EXPECT_TRUE(autoStart->isEnabled() && callSign->isEnabled() && server->isEnabled());
  EXPECT_FALSE(autoStart->isChecked());
  EXPECT_FALSE(range->isEnabled());

  // A file with APRS off and auto start on keeps both as they are.
  loaded.settings.aprs.enable = false;
  m_form->Fill(loaded);
  EXPECT_TRUE(autoStart->isChecked());
  EXPECT_FALSE(autoStart->isEnabled());

  auto* autosave = Find<QWidget>("CheckBoxAutosaveMaps");
  Click("RadioOfflineMap");
  EXPECT_FALSE(autosave->isEnabled());
  Click("RadioOnlineMap");
  EXPECT_TRUE(autosave->isEnabled());
}

TEST_F(SettingsFormRig, FolderPickersAskWithTheirTitles) {
  m_form->Fill(Store().Load(m_devices));
  const std::string rawBefore = m_form->ReadSettings().logs.rawDir;
  m_prompts.folderAnswer = "";  // cancelled
  Click("ButtonRawDir");
  EXPECT_EQ(m_prompts.Last().kind, "folder");
  EXPECT_EQ(m_prompts.Last().text, "Select a target directory for raw file");
  EXPECT_EQ(m_prompts.folderStart.toStdString(), rawBefore);
  EXPECT_EQ(m_form->ReadSettings().logs.rawDir, rawBefore);

  m_prompts.folderAnswer = "/srv/sondes/raw";
  Click("ButtonRawDir");
  m_prompts.folderAnswer = "/srv/tiles";
  Click("ButtonMapDir");
  EXPECT_EQ(m_prompts.Last().text, "Select a target directory for map files");
  const Settings s = m_form->ReadSettings();
  EXPECT_EQ(s.logs.rawDir, "/srv/sondes/raw");
  EXPECT_EQ(s.maps.mapDir, "/srv/tiles");
  EXPECT_EQ(Find<QLabel>("LabelMapDir")->toolTip(), "/srv/tiles");
}

TEST_F(SettingsFormRig, FrequencyDialogAndList) {
  TForm4& add = m_form->FrequencyForm();
  auto* field = add.findChild<QLineEdit*>("EditFrequency");
  ASSERT_NE(field, nullptr);
  EXPECT_EQ(field->maxLength(), 9);
  add.Reset();
  EXPECT_EQ(field->text(), "400000000");
  for (const char* text : {"407000001", "399999999", "", "4O5000000"}) {
    field->setText(text);
    add.setResult(QDialog::Rejected);
    add.findChild<QAbstractButton*>("ButtonOk")->click();
    EXPECT_EQ(m_prompts.Last().text, "Invalid frequency.\rvalid range [400000000 - 407000000]");
    EXPECT_EQ(add.result(), QDialog::Rejected) << text;
  }

  // The user types a frequency and presses "Ok" (or "Cancel").
  QString typed;
  bool ok = true;
  m_prompts.play = [&](QDialog& dialog) {
    dialog.findChild<QLineEdit*>("EditFrequency")->setText(typed);
    dialog.findChild<QAbstractButton*>(ok ? "ButtonOk" : "ButtonCancel")->click();
  };
  m_form->Fill(Store().Load(m_devices));
  for (const char* hz : {"402700000", "407000000", "402700000"}) {
    typed = hz;
    Click("ButtonAddFrequency");
  }
  ok = false;
  typed = "405000000";
  Click("ButtonAddFrequency");
  EXPECT_EQ(m_form->ReadSettings().radio.frequenciesHz,
            (std::vector<int>{402700000, 407000000, 402700000}));  // duplicates are kept

  auto* list = Find<QListWidget>("ListFrequencies");
  Click("ButtonDeleteFrequency");
  EXPECT_EQ(m_prompts.Last().kind, "information");
  EXPECT_EQ(m_prompts.Last().text,
            "Please select a frequency from list before pressing this button");
  list->setCurrentRow(1);
  m_prompts.confirmAnswers = {false, true};
  Click("ButtonDeleteFrequency");
  EXPECT_EQ(m_prompts.Last().kind, "confirm");
  EXPECT_EQ(m_prompts.Last().text, "Do you really want to remove 407000000 frequency from list?");
  EXPECT_EQ(list->count(), 3);
  Click("ButtonDeleteFrequency");
  EXPECT_EQ(m_form->ReadSettings().radio.frequenciesHz, (std::vector<int>{402700000, 402700000}));
  const std::size_t shown = m_prompts.shown.size();
  Click("ButtonDeleteFrequency");  // nothing chosen any more
  EXPECT_EQ(m_prompts.shown.size(), shown + 1);
  EXPECT_EQ(m_prompts.Last().kind, "information");
  EXPECT_EQ(list->count(), 2);
}

TEST_F(SettingsFormRig, PresetDialogChecksAndTheGrid) {
  TRotorPresetForm& dialog = m_form->PresetForm();
  auto* name = dialog.findChild<QLineEdit*>("EditPresetName");
  auto* az = dialog.findChild<QLineEdit*>("EditAzimuth");
  auto* el = dialog.findChild<QLineEdit*>("EditElevation");
  ASSERT_TRUE(name && az && el);
  EXPECT_EQ(az->maxLength(), 3);
  QTest::keyClicks(az, "1a-2.34");  // digits only, three at most
  EXPECT_EQ(az->text(), "123");
  QTest::keyClicks(el, "9x0");
  EXPECT_EQ(el->text(), "90");
  QTest::keyClick(el, Qt::Key_Backspace);
  EXPECT_EQ(el->text(), "9");
  dialog.Clear();
  EXPECT_TRUE(name->text().isEmpty() && az->text().isEmpty() && el->text().isEmpty());

  struct Entry {
    const char* name;
    const char* az;
    const char* el;
  };
  Entry entry{};
  m_prompts.play = [&](QDialog& d) {
    d.findChild<QLineEdit*>("EditPresetName")->setText(entry.name);
    d.findChild<QLineEdit*>("EditAzimuth")->setText(entry.az);
    d.findChild<QLineEdit*>("EditElevation")->setText(entry.el);
    d.findChild<QAbstractButton*>("ButtonOk")->click();
  };
  m_form->Fill(Store().Load(m_devices));
  const std::pair<Entry, const char*> refused[] = {
      {{"North", "360", "5"}, "Invalid Azimuth  value\rValid range [0..359]"},
      {{"North", "", "5"}, "Invalid Azimuth  value\rValid range [0..359]"},
      {{"North", "0", "181"}, "Invalid Elevation value\rValid range [0..180]"},
      {{"   ", "0", "5"}, "Preset name cannot be void"},
  };
  for (const auto& [e, message] : refused) {
    entry = e;
    Click("ButtonAddPreset");
    EXPECT_EQ(m_prompts.Last().text, message);
  }
  auto* grid = Find<QTableWidget>("GridPresets");
  EXPECT_EQ(grid->rowCount(), 1);
  EXPECT_TRUE(grid->item(0, 0)->text().isEmpty());

  const Entry accepted[] = {{" North ", "0", "5"}, {"East", "90", "12"}, {"South", "180", "0"}};
  for (const Entry& e : accepted) {
    entry = e;
    Click("ButtonAddPreset");
  }
  ASSERT_EQ(grid->rowCount(), 3);
  EXPECT_EQ(grid->item(0, 0)->text(), " North ");  // as typed, into the lone blank row
  EXPECT_EQ(grid->item(0, 1)->text(), "000");
  EXPECT_EQ(grid->item(1, 1)->text(), "090");
  EXPECT_EQ(grid->item(1, 2)->text(), "012");

  grid->setCurrentCell(1, 0);
  m_prompts.confirmAnswers = {false, true};
  Click("ButtonDeletePreset");
  EXPECT_EQ(m_prompts.Last().text, "Do you really want to remove East from preset list?");
  EXPECT_EQ(grid->rowCount(), 3);
  Click("ButtonDeletePreset");
  ASSERT_EQ(grid->rowCount(), 2);
  EXPECT_EQ(grid->item(1, 0)->text(), "South");

  for (int i = 0; i < 7; ++i) {
    entry = {"Spare", "1", "1"};
    Click("ButtonAddPreset");
  }
  EXPECT_EQ(grid->rowCount(), 9);
  Click("ButtonAddPreset");
  EXPECT_EQ(m_prompts.Last().kind, "error");
  EXPECT_EQ(m_prompts.Last().text, "Max number of presets reached");
  EXPECT_EQ(grid->rowCount(), 9);

  // Down to one blank row, which cannot be deleted.
  m_prompts.confirmAnswers.clear();
  for (int i = 0; i < 9; ++i) {
    grid->setCurrentCell(0, 0);
    Click("ButtonDeletePreset");
  }
  EXPECT_EQ(grid->rowCount(), 1);
  EXPECT_EQ(m_prompts.Last().text, "Do you really want to remove Spare from preset list?");
  Click("ButtonDeletePreset");
  EXPECT_EQ(m_prompts.Last().kind, "error");
  EXPECT_EQ(m_prompts.Last().text, "Preset list is empty");
  EXPECT_EQ(m_form->ReadSettings().rotor.presets.size(), 1u);
}

TEST_F(SettingsFormRig, AudioListMarksTheSelectedDevice) {
  auto* list = Find<QListWidget>("ListAudioDevices");
  ASSERT_EQ(list->count(), 2);
  EXPECT_EQ(list->item(1)->text(), "USB Audio CODEC");
  LoadedSettings loaded = Store().Load(m_devices);
  loaded.settings.audio.deviceIndex = 1;
  m_form->Fill(loaded);
  EXPECT_EQ(m_form->ReadSettings().audio.deviceIndex, 1);

  list->resize(300, 80);
  const auto markOf = [&](const QImage& image, int row) {
    const QRect rect = list->visualItemRect(list->item(row));
    return image.copy(rect.left() + 1 + list->frameWidth(), rect.top() + list->frameWidth(), 12,
                      rect.height());
  };
  const QImage first = list->grab().toImage();
  EXPECT_NE(markOf(first, 0), markOf(first, 1));  // only the selected row's mark is checked
  list->setCurrentRow(0);
  const QImage second = list->grab().toImage();
  EXPECT_EQ(markOf(second, 0), markOf(first, 1));
  EXPECT_EQ(markOf(second, 1), markOf(first, 0));

  loaded.settings.audio.deviceIndex = -1;
  m_form->Fill(loaded);
  EXPECT_EQ(m_form->ReadSettings().audio.deviceIndex, -1);
}

TEST_F(SettingsFormRig, GpsSourceChaseMapAndVersionFileRoundTrip) {
  WriteIni(
      "[Gps In]\r\nSource=1\r\nGpsd Host=192.168.1.5\r\nGpsd Port=2948\r\n"
      "Chase Map Feed=1\r\nChase Map Port=55674\r\n"
      "[Updates]\r\nVersion File=http://127.0.0.1:8000/v.txt\r\nWeb Page=http://x.example/\r\n");
  m_form->Fill(Store().Load(m_devices));
  EXPECT_TRUE(Find<QRadioButton>("RadioGpsd")->isChecked());
  EXPECT_EQ(Find<QLineEdit>("EditGpsdHost")->text(), "192.168.1.5");
  EXPECT_EQ(Find<QSpinBox>("SpinGpsdPort")->value(), 2948);
  EXPECT_TRUE(Find<QCheckBox>("CheckBoxChaseMap")->isChecked());
  EXPECT_EQ(Find<QLineEdit>("EditChaseMapHost")->text(), "127.0.0.1");
  EXPECT_EQ(Find<QSpinBox>("SpinChaseMapPort")->value(), 55674);
  EXPECT_EQ(Find<QLineEdit>("EditVersionFile")->text(), "http://127.0.0.1:8000/v.txt");

  Click("RadioGpsSerial");
  Type("EditChaseMapHost", "");  // an empty host falls back to the loopback
  const Settings read = m_form->ReadSettings();
  EXPECT_EQ(read.gps.source, GpsSource::SerialPort);
  EXPECT_EQ(read.gps.gpsdHost, "192.168.1.5");
  EXPECT_EQ(read.gps.chaseMapHost, "127.0.0.1");
  EXPECT_EQ(read.updates.webPageUrl, "http://x.example/");  // kept though not shown
  EXPECT_EQ(Store().Save(read, m_form->ReadTexts()), QString());
  const std::string saved = ReadIni();
  for (const char* key :
       {"Source=0", "Gpsd Port=2948", "Chase Map Feed=1",
        "Version File=http://127.0.0.1:8000/v.txt", "Web Page=http://x.example/"}) {
    EXPECT_NE(saved.find(key), std::string::npos) << key << " in " << saved;
  }
}

TEST_F(SettingsFormRig, ReceiverLinkAndRotctldRoundTrip) {
  WriteIni(
      "[Radio Controls]\r\nLink=1\r\nRigctl Host=192.168.1.7\r\nRigctl Port=7356\r\n"
      "[Antenna Rotor]\r\nProtocol=4\r\nRotctld Host=10.0.0.3\r\nRotctld Port=4534\r\n");
  m_form->Fill(Store().Load(m_devices));
  EXPECT_TRUE(Find<QRadioButton>("RadioLinkRigctl")->isChecked());
  EXPECT_EQ(Find<QLineEdit>("EditRigctlHost")->text(), "192.168.1.7");
  EXPECT_EQ(Find<QSpinBox>("SpinRigctlPort")->value(), 7356);
  EXPECT_TRUE(Find<QRadioButton>("RadioRotorType4")->isChecked());
  EXPECT_EQ(Find<QLineEdit>("EditRotctldHost")->text(), "10.0.0.3");
  EXPECT_EQ(Find<QSpinBox>("SpinRotctldPort")->value(), 4534);

  Click("RadioLinkNetRemote");
  Type("EditRotctldHost", "");  // an empty host falls back to the loopback
  const Settings read = m_form->ReadSettings();
  EXPECT_EQ(read.radio.link, RadioLinkKind::NetRemote);
  EXPECT_EQ(read.radio.rigctlHost, "192.168.1.7");
  EXPECT_EQ(read.rotor.protocol, 4);
  EXPECT_EQ(read.rotor.rotctldHost, "127.0.0.1");
  EXPECT_EQ(Store().Save(read, m_form->ReadTexts()), QString());
  const std::string saved = ReadIni();
  for (const char* key : {"Link=0", "Rigctl Host=192.168.1.7", "Rigctl Port=7356", "Protocol=4",
                          "Rotctld Host=127.0.0.1", "Rotctld Port=4534"}) {
    EXPECT_NE(saved.find(key), std::string::npos) << key << " in " << saved;
  }
}

// The SondeHub tab: off by default; its keys round-trip; a save refuses an upload without a
// usable callsign; the hand-written address stays in the file.
TEST_F(SettingsFormRig, SondeHubTabRoundTrip) {
  WriteIni("[Hosts]\r\nSondeHub URL=http://127.0.0.1:8080\r\n");
  m_form->Fill(Store().Load(m_devices));
  EXPECT_FALSE(Find<QCheckBox>("CheckBoxSondeHubEnable")->isChecked());

  Click("CheckBoxSondeHubEnable");
  Type("EditSondeHubCallsign", "DL1 ABC");
  EXPECT_NE(CheckSettingsForm(m_form->ReadSettings(), m_form->ReadTexts())
                .message.find("SondeHub->Uploader callsign"),
            std::string::npos);
  Type("EditSondeHubCallsign", " DL1ABC-9 ");
  Type("EditSondeHubAntenna", "Yagi 5 el");
  Click("CheckBoxSondeHubTestMode");
  const Settings read = m_form->ReadSettings();
  EXPECT_EQ(CheckSettingsForm(read, m_form->ReadTexts()).message, "");
  EXPECT_EQ(read.sondehub.callsign, "DL1ABC-9");
  EXPECT_EQ(read.sondehub.url, "http://127.0.0.1:8080");
  EXPECT_EQ(Store().Save(read, m_form->ReadTexts()), QString());
  const std::string saved = ReadIni();
  for (const char* key :
       {"[SondeHub]", "Enable=1", "Callsign=DL1ABC-9", "Antenna=Yagi 5 el", "Mobile Station=0",
        "Test Mode=1", "SondeHub URL=http://127.0.0.1:8080"}) {
    EXPECT_NE(saved.find(key), std::string::npos) << key << " in " << saved;
  }
  m_form->Fill(Store().Load(m_devices));
  EXPECT_TRUE(Find<QCheckBox>("CheckBoxSondeHubTestMode")->isChecked());
  EXPECT_EQ(Find<QLineEdit>("EditSondeHubAntenna")->text(), "Yagi 5 el");
}

}  // namespace
}  // namespace windlark
