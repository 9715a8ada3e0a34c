#include "app/ui/SettingsBinding.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QListWidget>
#include <QSpinBox>
#include <QTabWidget>

#include "app/ui/Form4.h"
#include "app/ui/RotorPreset.h"
#include "app/ui/SettingsFormRig.h"

namespace windlark {
namespace {

using test::SettingsFormRig;

class SettingsBindingTest : public SettingsFormRig {
 protected:
  // What the core alone writes for the file as it is now: the dialog must not change a key.
  std::string CoreResave() const {
    IniFile ini('.');
    ini.Load(IniPath());
    const LoadedSettings loaded = LoadSettings(ini, Store().Environment(m_devices));
    EXPECT_EQ(SaveSettings(loaded.settings, loaded.texts, ini), "");
    return ini.Text();
  }
};

TEST_F(SettingsBindingTest, FileThroughTheDialogAndBack) {
  struct Case {
    const char* name;
    std::string ini;
    std::vector<const char*> written;  // lines of the saved file
    std::vector<const char*> gone;     // texts it no longer has
  };
  const Case cases[] = {
      {"no file", "", {"Default Zoom Level=12\r\n", "NetRemote port=3382\r\n"}, {"Freq-"}},
      {"realistic",
       RealisticIni(),
       {"Freq-03=405100000\r\n", "PresetId-04=Ridge\r\n", "Demodulator=Standard\r\n"},
       {}},
      {"out of range",
       "[Audio Settings]\r\nInputInterface=7\r\n[Radio Controls]\r\nRearm Time=1\r\n"
       "NetRemote port=65535\r\n[Maps Settings]\r\nDefault Zoom Level=25\r\n"
       "Default Map Type=3\r\n[Antenna Rotor]\r\nSpeed=9\r\nSensitivity Angle=91\r\n"
       "PresetId-01=Past\r\nPresetAz-01=360\r\nPresetEl-01=1\r\n"
       "PresetId-02=Over\r\nPresetAz-02=1\r\nPresetEl-02=181\r\n"
       "[Aprs]\r\nHome SSID=0\r\nRange=-5\r\n[Gps In]\r\nDataBits=6\r\nParity=9\r\n",
       {"Rearm Time=2\r\n", "Default Zoom Level=19\r\n", "Default Map Type=1\r\n",
        "NetRemote port=3382\r\n", "Speed=3\r\n", "Sensitivity Angle=1\r\n", "Home SSID=1\r\n",
        "Range=50\r\n", "DataBits=8\r\n"},
       {"InputInterface", "PresetId"}},
      {"frequency gaps",
       "[Radio Controls]\r\nFreq-01=402800000\r\nFreq-02=39\r\nFreq-03=405000000\r\n",
       {"Freq-01=402800000\r\n"},
       {"Freq-02", "Freq-03"}},
      {"ten-character callsign",
       "[Aprs]\r\nEnable=1\r\nCallSign=ABCDEFGH-1\r\nHome Position Enable=1\r\nHome SSID=2\r\n",
       {"CallSign=ABCDEFGH-1\r\n", "Home Position Enable=0\r\n"},
       {}},
  };
  for (const auto& c : cases) {
    std::filesystem::remove(IniPath());
    if (!c.ini.empty()) WriteIni(c.ini);
    SettingsBinding binding(Store(), *m_form);
    const AppliedSettings applied = binding.Load();
    const std::string expected = CoreResave();
    ASSERT_EQ(binding.Save(), "") << c.name;
    const std::string saved = ReadIni();
    EXPECT_EQ(saved, expected) << c.name;
    for (const char* line : c.written) {
      EXPECT_NE(saved.find(line), std::string::npos) << c.name << ": " << line;
    }
    for (const char* text : c.gone) {
      EXPECT_EQ(saved.find(text), std::string::npos) << c.name << ": " << text;
    }
    // A second round through the dialog still writes what the core would.
    const std::string expectedAgain = CoreResave();
    binding.Load();
    ASSERT_EQ(binding.Save(), "");
    EXPECT_EQ(ReadIni(), expectedAgain) << c.name;
    if (c.name == std::string("ten-character callsign")) {
      EXPECT_EQ(applied.aprsLogin.loginCallsign, "ABCDEFGH");
      EXPECT_EQ(Find<QLineEdit>("EditCallsign")->text(), "ABCDEFGH-1");
    }
  }
}

TEST_F(SettingsBindingTest, TheDialogShowsTheLoadedValues) {
  WriteIni(RealisticIni());
  SettingsBinding binding(Store(), *m_form);
  const AppliedSettings applied = binding.Load();
  EXPECT_EQ(Find<QListWidget>("ListAudioDevices")->currentRow(), 1);
  EXPECT_EQ(Find<QComboBox>("ComboDemodulator")->currentText(), "Standard");
  EXPECT_EQ(Find<QListWidget>("ListFrequencies")->count(), 3);
  EXPECT_EQ(Find<QLineEdit>("EditRearmTime")->text(), "10");
  EXPECT_EQ(m_form->RescanDelayMin(), 10);
  EXPECT_EQ(Find<QComboBox>("ComboMapType")->currentText(), "OpenTopoMap");
  EXPECT_EQ(Find<QSpinBox>("SpinZoomLevel")->value(), 11);
  EXPECT_EQ(Find<QLineEdit>("EditHomeLatitude")->text(), "52.2094");
  EXPECT_TRUE(Find<QAbstractButton>("RadioWindSpeed1")->isChecked());
  EXPECT_TRUE(Find<QAbstractButton>("RadioRotorType2")->isChecked());
  EXPECT_EQ(Find<QComboBox>("ComboRotorPort")->currentText(), "/dev/ttyUSB7");
  EXPECT_EQ(Find<QComboBox>("ComboRotorSpeed")->currentText(), "38400");
  EXPECT_EQ(Find<QLineEdit>("EditLaunchLongitude")->text(), "14.122100");
  EXPECT_TRUE(Find<QAbstractButton>("RadioServer1")->isChecked());
  EXPECT_EQ(Find<QComboBox>("ComboGpsParity")->currentText(), "Mark.");
  EXPECT_EQ(Find<QComboBox>("ComboGpsStopBits")->currentText(), "1.5");
  EXPECT_EQ(Find<QComboBox>("ComboGpsDataBits")->currentText(), "7");

  EXPECT_EQ(applied.deviceIndex, 1);
  EXPECT_TRUE(applied.startAudio);
  EXPECT_EQ(applied.demodulator, DemodulatorKind::Standard);
  EXPECT_EQ(applied.tileMode, TileMode::Online);
  EXPECT_EQ(applied.maxZoomLevel, 16);
  EXPECT_EQ(applied.zoomLabel, "11");
  EXPECT_EQ(applied.aprsLogin.homeCallsign, "DL1ABC-5");
  EXPECT_EQ(applied.aprsLogin.filterLine, "#filter r/52.209400/14.122100/150 -t/pimqstunw");
  EXPECT_TRUE(applied.startAprs);
  EXPECT_FALSE(applied.gpsInEnabled);  // /dev/ttyACM7 is not there
  EXPECT_EQ(applied.rawStatus, "Save Raw File: Enabled");
}

TEST_F(SettingsBindingTest, DeletedFrequenciesAndAnUnnumberedPortAreNotWritten) {
  WriteIni(RealisticIni());
  SettingsBinding binding(Store(), *m_form);
  binding.Load();
  Find<QListWidget>("ListFrequencies")->setCurrentRow(0);
  Click("ButtonDeleteFrequency");
  Find<QComboBox>("ComboRotorPort")->setEditText("COMX");
  ASSERT_EQ(binding.Save(), "");
  const std::string saved = ReadIni();
  EXPECT_NE(saved.find("Freq-01=403900000\r\nFreq-02=405100000\r\nRestartScan"), std::string::npos);
  EXPECT_EQ(saved.find("Freq-03"), std::string::npos);
  EXPECT_NE(saved.find("[Antenna Rotor]\r\nProtocol=2\r\nPort Name=COMX\r\nSpeed=5"),
            std::string::npos);

  binding.Load();
  EXPECT_EQ(binding.Loaded().settings.rotor.port, 1);
  EXPECT_EQ(Find<QComboBox>("ComboRotorPort")->currentText(), "");
}

TEST_F(SettingsBindingTest, CallsignsThroughSaveAndTheNextLoad) {
  SettingsBinding binding(Store(), *m_form);
  binding.Load();
  Click("CheckBoxAprsEnable");
  Type("EditPassword", "12345");
  Click("RadioServer1");
  Find<QSpinBox>("SpinHomeSsid")->setValue(5);
  Find<QCheckBox>("CheckBoxHomePosition")->setChecked(true);

  struct Case {
    const char* callSign;
    const char* refused;  // by "Save"; else the home callsign after the next load
  };
  const Case cases[] = {
      {"AB1CD-7", nullptr},
      {"AB1-7", nullptr},
      {"AB1CD-", "Invalid Callsign in Aprs settings\rPlease insert a valid one"},
      {"AB1CD", "Invalid Callsign in Aprs settings\rPlease insert a valid one"},
  };
  int accepted = 0;
  QObject::connect(m_form.get(), &QDialog::accepted, [&] { ++accepted; });
  for (const auto& c : cases) {
    Find<QCheckBox>("CheckBoxHomePosition")->setChecked(true);
    Type("EditCallsign", c.callSign);
    const std::string before = ReadIni();
    const int acceptedBefore = accepted;
    Click("ButtonSave");
    if (c.refused != nullptr) {
      EXPECT_EQ(m_prompts.Last().text, c.refused) << c.callSign;
      EXPECT_EQ(accepted, acceptedBefore) << c.callSign;
      EXPECT_EQ(ReadIni(), before) << c.callSign;
      continue;
    }
    EXPECT_EQ(accepted, acceptedBefore + 1) << c.callSign;
    const AppliedSettings applied = binding.Load();
    const bool home = std::string(c.callSign) == "AB1CD-7";
    EXPECT_EQ(applied.aprsLogin.sendHomePosition, home) << c.callSign;
    EXPECT_EQ(applied.aprsLogin.homeCallsign, home ? "AB1CD-5" : "") << c.callSign;
    EXPECT_EQ(Find<QCheckBox>("CheckBoxHomePosition")->isChecked(), home) << c.callSign;
  }

  // With APRS off the callsign is not checked.
  Click("CheckBoxAprsEnable");
  Type("EditCallsign", "AB1CD");
  const int acceptedBefore = accepted;
  Click("ButtonSave");
  EXPECT_EQ(accepted, acceptedBefore + 1);
}

TEST_F(SettingsBindingTest, RefusedAndFailedSavesLeaveTheFileAndKeepTheDialogOpen) {
  WriteIni(RealisticIni());
  const std::string before = ReadIni();
  SettingsBinding binding(Store(), *m_form);
  binding.Load();
  int accepted = 0;
  QObject::connect(m_form.get(), &QDialog::accepted, [&] { ++accepted; });

  Type("EditHomeAltitude", "112.5");
  Type("EditRearmTime", "20");
  Click("ButtonSave");
  EXPECT_EQ(m_prompts.Last().text,
            "Invalid value in Maps->Altitude asl\rPlease use a whole number of meters");
  EXPECT_EQ(accepted, 0);
  EXPECT_EQ(binding.Save(),
            "Invalid value in Maps->Altitude asl\rPlease use a whole number of meters");
  EXPECT_EQ(ReadIni(), before);
  EXPECT_EQ(Find<QLineEdit>("EditHomeAltitude")->text(), "112.5");  // the edits stay

  // The disk refuses: the message is shown and the dialog stays open with the edits.
  Type("EditHomeAltitude", "113");
  std::filesystem::remove_all(m_dir / "bin");
  std::filesystem::create_directories(m_dir);
  std::ofstream(m_dir / "bin") << "not a folder";
  Click("ButtonSave");
  EXPECT_EQ(accepted, 0);
  EXPECT_EQ(m_prompts.Last().kind, "error");
  EXPECT_NE(m_prompts.Last().text.find("The settings were not saved."), std::string::npos)
      << m_prompts.Last().text;
  EXPECT_EQ(Find<QLineEdit>("EditHomeAltitude")->text(), "113");
}

TEST_F(SettingsBindingTest, SaveWritesAndCancelPutsTheFileBack) {
  WriteIni(RealisticIni());
  int applies = 0;
  SettingsBinding binding(Store(), *m_form, [&](const AppliedSettings&) { ++applies; });
  binding.Load();

  m_prompts.play = [&](QDialog&) {
    Type("EditHomeLatitude", "48.1375");
    Click("ButtonCancel");
  };
  AppliedSettings applied = binding.Edit(m_prompts);
  EXPECT_EQ(Find<QLineEdit>("EditHomeLatitude")->text(), "52.2094");
  EXPECT_DOUBLE_EQ(applied.homeLatitude, 52.2094);

  m_prompts.play = [&](QDialog&) {
    Type("EditHomeLatitude", "48.1375");
    Click("ButtonSave");
  };
  applied = binding.Edit(m_prompts);
  EXPECT_DOUBLE_EQ(applied.homeLatitude, 48.1375);
  EXPECT_NE(ReadIni().find("Home Lat=48.1375\r\n"), std::string::npos);
  EXPECT_EQ(applies, 3);
}

// Pictures of every tab for a person to look at: set WINDLARK_SHOTS_DIR and run under a real
// display server (xvfb-run).
}  // namespace
}  // namespace windlark
