#include "app/Settings.h"

#include "app/AppliedSettings.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>

namespace windlark {
namespace {

namespace fs = std::filesystem;

class SettingsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_dir = fs::temp_directory_path() /
            ("windlark-settings-" + std::to_string(::getpid()) + "-" +
             ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(m_dir);
    fs::create_directories(m_dir);
    m_env.audioDevices = {"Line In", "USB Audio"};
    m_env.serialPorts = {"/dev/ttyS0", "/dev/ttyUSB0"};
    m_env.defaultRawDir = (m_dir / "RawData").string();
    m_env.defaultMapDir = (m_dir / "maps").string();
  }
  void TearDown() override { fs::remove_all(m_dir); }

  LoadedSettings Load(const std::string& text) const {
    IniFile ini;
    ini.Parse(text);
    return LoadSettings(ini, m_env);
  }
  // Saves the loaded settings as the dialog would without edits, then loads the result.
  LoadedSettings SaveAndReload(const LoadedSettings& loaded, IniFile& ini) const {
    EXPECT_EQ(SaveSettings(loaded.settings, loaded.texts, ini), "");
    return LoadSettings(ini, m_env);
  }

  fs::path m_dir;
  SettingsEnvironment m_env;
};

TEST_F(SettingsTest, NoFileGivesEveryDefaultAndCreatesTheRawFolder) {
  const LoadedSettings loaded = Load("");
  const Settings& s = loaded.settings;
  EXPECT_EQ(s.audio.deviceIndex, 0);  // the key's default, a device this system has
  EXPECT_FALSE(s.audio.autorun);
  EXPECT_EQ(s.radio.netRemotePort, 3382);
  EXPECT_TRUE(s.radio.frequenciesHz.empty());
  EXPECT_TRUE(s.radio.restartScan);
  EXPECT_EQ(s.radio.rearmTimeMin, 5);
  EXPECT_EQ(s.maps.mapType, 1);
  EXPECT_EQ(loaded.maxZoomLevel, 19);
  EXPECT_TRUE(s.maps.onlineMode);
  EXPECT_TRUE(s.maps.autosaveMaps);
  EXPECT_EQ(s.maps.mapDir, m_env.defaultMapDir);
  EXPECT_EQ(s.maps.zoomLevel, 12);
  EXPECT_EQ(s.maps.homeAltitudeM, 0);
  EXPECT_EQ(s.rotor.protocol, 0);
  EXPECT_EQ(kBaudRates[static_cast<std::size_t>(s.rotor.speedIndex)], 9600);
  ASSERT_EQ(s.rotor.presets.size(), 1u);
  EXPECT_EQ(s.rotor.presets[0].name, "");
  EXPECT_EQ(kBaudRates[static_cast<std::size_t>(s.gps.speedIndex)], 4800);
  EXPECT_EQ(s.gps.dataBits, 8);
  EXPECT_EQ(s.gps.parity, 0);
  EXPECT_EQ(s.gps.stopBits, 0);
  EXPECT_FALSE(s.aprs.enable);
  EXPECT_EQ(s.aprs.rangeKm, 50);
  EXPECT_EQ(s.aprs.monitoringMode, 0);

  // No "COM1" on this system: nothing selected, GPS IN unavailable.
  EXPECT_EQ(loaded.rotorPortIndex, -1);
  EXPECT_FALSE(loaded.GpsPortAvailable());
  EXPECT_EQ(loaded.serialPorts, m_env.serialPorts);

  EXPECT_TRUE(loaded.raw.saveRaw);
  EXPECT_EQ(loaded.raw.status, "Save Raw File: Enabled");
  EXPECT_EQ(loaded.raw.message, "");
  EXPECT_TRUE(fs::is_directory(m_dir / "RawData"));
  EXPECT_EQ(s.logs.rawDir, m_env.defaultRawDir);

  const SettingsTexts& t = loaded.texts;
  EXPECT_EQ(t.homeLatitude, "44.5386");
  EXPECT_EQ(t.homeLongitude, "7.6125");
  EXPECT_EQ(t.launchLatitude, "44.538600");
  EXPECT_EQ(t.launchLongitude, "7.612500");
  EXPECT_EQ(t.password, "");
  EXPECT_EQ(t.netRemotePort, "3382");

  const AprsLogin& login = loaded.aprsLogin;
  EXPECT_EQ(login.version, "1.15");
  EXPECT_EQ(login.loginCallsign, "");
  EXPECT_FALSE(login.sendHomePosition);
  EXPECT_EQ(login.passcode, -1);
  EXPECT_EQ(login.serverHost, "euro.aprs2.net");
  EXPECT_EQ(login.filterLine, "#filter  s/O");
}

// The receive chain: Enhanced unless the file names the standard one exactly.
TEST_F(SettingsTest, DemodulatorKeyChoosesTheReceiveChain) {
  const struct {
    const char* text;
    DemodulatorKind want;
  } cases[] = {
      {"", DemodulatorKind::Enhanced},
      {"[Audio Settings]\nDemodulator=Standard\n", DemodulatorKind::Standard},
      {"[Audio Settings]\nDemodulator=Enhanced\n", DemodulatorKind::Enhanced},
      {"[Audio Settings]\nDemodulator=standard\n", DemodulatorKind::Enhanced},
      {"[Audio Settings]\nDemodulator=2\n", DemodulatorKind::Enhanced},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    const LoadedSettings loaded = Load(c.text);
    EXPECT_EQ(loaded.settings.audio.demodulator, c.want);
    EXPECT_EQ(AppliedSettingsOf(loaded).demodulator, c.want);
    IniFile ini;
    EXPECT_EQ(SaveAndReload(loaded, ini).settings.audio.demodulator, c.want);
  }
}

TEST_F(SettingsTest, ValuesOutOfRangeTakeTheirLoadRules) {
  using Get = std::function<int(const LoadedSettings&)>;
  struct Case {
    const char* lines;
    Get get;
    int want;
  };
  const Get device = [](const LoadedSettings& l) { return l.settings.audio.deviceIndex; };
  const Get port = [](const LoadedSettings& l) { return l.settings.radio.netRemotePort; };
  const Get rearm = [](const LoadedSettings& l) { return l.settings.radio.rearmTimeMin; };
  const Get zoom = [](const LoadedSettings& l) { return l.settings.maps.zoomLevel; };
  const Get mapType = [](const LoadedSettings& l) { return l.settings.maps.mapType; };
  const Get maxZoom = [](const LoadedSettings& l) { return l.maxZoomLevel; };
  const Get wind = [](const LoadedSettings& l) { return l.settings.units.windSpeed; };
  const Get rotorPort = [](const LoadedSettings& l) { return l.settings.rotor.port; };
  const Get rotorSpeed = [](const LoadedSettings& l) { return l.settings.rotor.speedIndex; };
  const Get sensitivity = [](const LoadedSettings& l) { return l.settings.rotor.sensitivityDeg; };
  const Get period = [](const LoadedSettings& l) { return l.settings.rotor.queryPeriodS; };
  const Get ssid = [](const LoadedSettings& l) { return l.settings.aprs.homeSsid; };
  const Get server = [](const LoadedSettings& l) { return l.settings.aprs.serverNum; };
  const Get range = [](const LoadedSettings& l) { return l.settings.aprs.rangeKm; };
  const Get mode = [](const LoadedSettings& l) { return l.settings.aprs.monitoringMode; };
  const Get gpsSpeed = [](const LoadedSettings& l) { return l.settings.gps.speedIndex; };
  const Get dataBits = [](const LoadedSettings& l) { return l.settings.gps.dataBits; };
  const Get parity = [](const LoadedSettings& l) { return l.settings.gps.parity; };
  const Get stopBits = [](const LoadedSettings& l) { return l.settings.gps.stopBits; };
  const Get gpsProtocol = [](const LoadedSettings& l) { return l.settings.gps.protocol; };
  const Case cases[] = {
      {"[Audio Settings]\nInputInterface=1", device, 1},
      {"[Audio Settings]\nInputInterface=2", device, -1},
      {"[Audio Settings]\nInputInterface=-3", device, -1},
      {"[Radio Controls]\nNetRemote port=0x1F90", port, 8080},
      {"[Radio Controls]\nNetRemote port=70536", port, 5000},  // low 16 bits
      {"[Radio Controls]\nNetRemote port=65535", port, 3382},
      {"[Radio Controls]\nNetRemote port=port", port, 3382},
      {"[Radio Controls]\nRearm Time=1", rearm, 2},
      {"[Radio Controls]\nRearm Time=5000", rearm, 1440},
      {"[Radio Controls]\nRearm Time=1440", rearm, 1440},
      {"[Maps Settings]\nDefault Zoom Level=25", zoom, 19},
      {"[Maps Settings]\nDefault Zoom Level=2", zoom, 3},
      {"[Maps Settings]\nDefault Map Type=3", mapType, 1},
      {"[Maps Settings]\nDefault Map Type=0", mapType, 1},
      {"[Maps Settings]\nDefault Map Type=2", maxZoom, 16},
      {"[Meas Units]\nWind Speed=3", wind, 0},
      {"[Meas Units]\nWind Speed=2", wind, 2},
      {"[Antenna Rotor]\nPort=31", rotorPort, 1},
      {"[Antenna Rotor]\nPort=0", rotorPort, 0},
      {"[Antenna Rotor]\nSpeed=8", rotorSpeed, 3},
      {"[Antenna Rotor]\nSensitivity Angle=91", sensitivity, 1},
      {"[Antenna Rotor]\nSensitivity Angle=0", sensitivity, 1},
      {"[Antenna Rotor]\nSensitivity Angle=90", sensitivity, 90},
      {"[Antenna Rotor]\nQuery Position Period=301", period, 5},
      {"[Antenna Rotor]\nQuery Position Period=0", period, 0},
      {"[Aprs]\nHome SSID=0", ssid, 1},
      {"[Aprs]\nHome SSID=16", ssid, 15},
      {"[Aprs]\nServerNum=5", server, 0},
      {"[Aprs]\nServerNum=4", server, 4},
      {"[Aprs]\nRange=-1", range, 50},
      {"[Aprs]\nRange=0", range, 0},
      {"[Aprs]\nMonitoringMode=2", mode, 0},
      {"[Gps In]\nProtocol=1", gpsProtocol, 0},
      {"[Gps In]\nSpeed=-1", gpsSpeed, 2},
      {"[Gps In]\nDataBits=6", dataBits, 8},
      {"[Gps In]\nDataBits=7", dataBits, 7},
      {"[Gps In]\nParity=5", parity, 0},
      {"[Gps In]\nStopBits=3", stopBits, 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.get(Load(std::string(c.lines) + "\n")), c.want) << c.lines;
  }
}

TEST_F(SettingsTest, AHugeScanListLoadsAndSavesInLinearTime) {
  // Each key looked up by scanning the section made this take hours (the test's time-out
  // catches it); indexed, it takes well under a second.
  constexpr int kCount = 300000;
  std::string text = "[Radio Controls]\n";
  for (int n = 1; n <= kCount; ++n) {
    text += (n < 10 ? "Freq-0" : "Freq-") + std::to_string(n) + "=" +
            std::to_string(400000000 + n) + "\n";
  }
  text += "[Other]\nKey=1\n";
  IniFile ini;
  ini.Parse(text);
  const LoadedSettings loaded = LoadSettings(ini, m_env);
  ASSERT_EQ(loaded.settings.radio.frequenciesHz.size(), static_cast<std::size_t>(kCount));
  const LoadedSettings reloaded = SaveAndReload(loaded, ini);
  EXPECT_EQ(reloaded.settings.radio.frequenciesHz, loaded.settings.radio.frequenciesHz);
  EXPECT_EQ(ini.Value("other", "KEY"), "1");
}

TEST_F(SettingsTest, FrequencyListEndsAtTheFirstMissingOrOutOfRangeKey) {
  EXPECT_EQ(Load("[Radio Controls]\nFreq-01=402800000\nFreq-02=39\nFreq-03=405000000\n")
                .settings.radio.frequenciesHz,
            std::vector<int>{402800000});
  EXPECT_EQ(Load("[Radio Controls]\nFreq-01=400000000\nFreq-02=407000000\nFreq-04=403000000\n")
                .settings.radio.frequenciesHz,
            (std::vector<int>{400000000, 407000000}));
}

TEST_F(SettingsTest, PresetsAreTakenByTheirRulesAndKeepTheirNumbers) {
  const LoadedSettings loaded = Load(
      "[Antenna Rotor]\n"
      "PresetId-01=North\nPresetAz-01=0\nPresetEl-01=0\n"
      "PresetId-02=Past\nPresetAz-02=360\nPresetEl-02=10\n"
      "PresetId-03=Over\nPresetAz-03=10\nPresetEl-03=181\n"
      "PresetId-04=Ridge\nPresetAz-04=359\nPresetEl-04=180\n"
      "PresetId-05=\nPresetAz-05=5\nPresetEl-05=5\n"
      "PresetId-06=NoAngles\n"
      "PresetId-11=Eleven\nPresetAz-11=11\nPresetEl-11=11\n");
  const auto& rows = loaded.settings.rotor.presets;
  ASSERT_EQ(rows.size(), 4u);
  EXPECT_EQ(rows[0].name, "North");
  EXPECT_EQ(rows[1].name, "");
  EXPECT_EQ(rows[2].name, "");
  EXPECT_EQ(rows[3].name, "Ridge");
  EXPECT_EQ(rows[3].azimuthDeg, 359);
  EXPECT_EQ(rows[3].elevationDeg, 180);

  // Saved again under the same numbers, the blank rows not at all.
  IniFile ini;
  const LoadedSettings again = SaveAndReload(loaded, ini);
  EXPECT_EQ(ini.ReadString("Antenna Rotor", "PresetId-04", ""), "Ridge");
  EXPECT_FALSE(ini.Value("Antenna Rotor", "PresetId-02"));
  EXPECT_EQ(again.settings.rotor.presets.size(), 4u);
}

TEST_F(SettingsTest, SavesEveryKeyInOrderAndKeepsOtherSections) {
  IniFile ini;
  ini.Parse(
      "[Hosts]\nAprs Region 3=aprs.example.net\n\n"
      "[Radio Controls]\nFreq-01=401000000\nFreq-02=402000000\nFreq-03=403000000\n"
      "Stale=1\n\n"
      "[Custom]\n; mine\nWhatever = 1\n");
  LoadedSettings loaded = LoadSettings(ini, m_env);
  Settings& s = loaded.settings;
  s.audio.deviceIndex = 1;
  s.radio.frequenciesHz = {404500000};  // two deleted
  s.rotor.presets = {{"North", 0, 5}};
  s.aprs.enable = true;
  s.aprs.callSign = "ab1cd-7";
  s.aprs.homePositionEnable = true;
  s.aprs.homeSsid = 5;
  s.aprs.serverNum = 3;
  s.aprs.monitoringMode = 1;
  SettingsTexts t = loaded.texts;
  t.homeLatitude = "45.0625";
  t.homeAltitude = "310";
  t.password = "12345";
  t.launchLatitude = "45.1";
  t.launchLongitude = "-7.25";
  t.range = "km";
  t.rotorPort = "COM12";
  t.gpsPort = "/dev/ttyUSB0";
  ASSERT_EQ(SaveSettings(s, t, ini), "");
  EXPECT_EQ(ini.Text(),
            "[Hosts]\nAprs Region 3=aprs.example.net\n\n"
            "[Custom]\n; mine\nWhatever = 1\n"
            "[General]\nRel=10\n"
            "[Audio Settings]\nInputInterface=1\nAutorun=0\nDemodulator=Enhanced\n"
            "[Radio Controls]\nNetRemote port=3382\nAutorun=0\nFreq-01=404500000\n"
            "RestartScan=1\nRearm Time=5\nLink=0\nRigctl Host=127.0.0.1\nRigctl Port=4532\n"
            "[Logs Files]\nSave Raw Data=1\nformat=0\nRawDir=" +
                m_env.defaultRawDir +
                "\n"
                "[Maps Settings]\nDefault Map Type=1\nOnline Map Mode=1\nAutosave Maps=1\n"
                "MapDir=" +
                m_env.defaultMapDir +
                "\nDefault Zoom Level=12\nHome Lat=45.0625\nHome Long=7.6125\n"
                "Home Altitude=310\n"
                "[Meas Units]\nWind Speed=0\nVertical Speed=0\n"
                "[Updates]\nCheck updates at startup=1\nVersion File=" +
                std::string(kDefaultVersionFileUrl) +
                "\nWeb Page=" + std::string(kDefaultWebPageUrl) +
                "\n"
                "[Antenna Rotor]\nProtocol=0\nPort=12\nPort Name=COM12\nSpeed=3\n"
                "PresetId-01=North\nPresetAz-01=0\nPresetEl-01=5\n"
                "Sensitivity Angle=1\nQuery Position Period=5\n"
                "Rotctld Host=127.0.0.1\nRotctld Port=4533\n"
                "[Aprs]\nEnable=1\nAutoStart=0\nCallSign=AB1CD-7\n"
                "Home Position Enable=1\nHome SSID=5\nPassword=12345\nServerNum=3\n"
                "MonitoringMode=1\nLaunch Lat=45.1\nLaunch Long=-7.25\nRange=50\n"
                "[Gps In]\nProtocol=0\nPort Name=/dev/ttyUSB0\nSpeed=2\nDataBits=8\n"
                "Parity=0\nStopBits=0\nSource=0\nGpsd Host=127.0.0.1\nGpsd Port=2947\n"
                "Chase Map Feed=0\nChase Map Host=127.0.0.1\nChase Map Port=55673\n"
                "[SondeHub]\nEnable=0\nCallsign=\nAntenna=\nMobile Station=0\nTest Mode=0\n");

  const LoadedSettings again = LoadSettings(ini, m_env);
  EXPECT_EQ(again.settings.radio.frequenciesHz, std::vector<int>{404500000});
  EXPECT_EQ(again.gpsPortIndex, 1);
  EXPECT_TRUE(again.GpsPortAvailable());
  const AprsLogin& login = again.aprsLogin;
  EXPECT_EQ(login.loginCallsign, "AB1CD-7");
  EXPECT_TRUE(login.sendHomePosition);
  EXPECT_EQ(login.homeCallsign, "AB1CD-5");
  EXPECT_EQ(login.passcode, 12345);
  EXPECT_EQ(login.serverHost, "aprs.example.net");
  EXPECT_EQ(login.filterLine, "#filter r/45.100000/-7.250000/50 -t/pimqstunw");
}

TEST_F(SettingsTest, PortTextsDecideWhatIsWrittenAndSelectedNextTime) {
  const fs::path pty = m_dir / "pty-standin";
  std::ofstream(pty) << "";
  struct Case {
    std::string text;
    std::optional<std::string> port;  // "Port" as written
    int index;                        // selected at the next load
    std::string shown;                // the port list's text at the next load
  };
  const Case cases[] = {
      {"COMX", std::nullopt, -1, ""},
      {"COM", std::nullopt, -1, ""},
      {"COM12", "12", -1, ""},  // saved, but there is no COM12 here
      {"/dev/ttyUSB0", std::nullopt, 1, "/dev/ttyUSB0"},
      {pty.string(), std::nullopt, 2, pty.string()},  // unlisted but there: added
      {"/dev/ttyACM9-unplugged", std::nullopt, -1, "/dev/ttyACM9-unplugged"},
      {"", std::nullopt, -1, ""},
  };
  for (const auto& c : cases) {
    IniFile ini;
    ini.Parse("[Antenna Rotor]\nPort=7\nPort Name=/dev/ttyS0\n");
    LoadedSettings loaded = LoadSettings(ini, m_env);
    ASSERT_EQ(loaded.rotorPortIndex, 0);
    loaded.texts.rotorPort = c.text;
    loaded.texts.gpsPort = c.text;
    const LoadedSettings again = SaveAndReload(loaded, ini);
    EXPECT_EQ(ini.Value("Antenna Rotor", "Port"), c.port) << c.text;
    EXPECT_EQ(again.settings.rotor.port, c.port ? 12 : 1) << c.text;
    EXPECT_EQ(again.rotorPortIndex, c.index) << c.text;
    EXPECT_EQ(again.texts.rotorPort, c.shown) << c.text;
    EXPECT_EQ(again.GpsPortAvailable(), c.index >= 0) << c.text;
  }
}

TEST_F(SettingsTest, CallsignsGiveLoginAndHomeCallsigns) {
  struct Case {
    const char* callSign;
    const char* login;
    const char* home;  // with home SSID 5
  };
  const Case cases[] = {
      {"AB1CD-7", "AB1CD-7", "AB1CD-5"},
      {"AB1-7", "AB1-7", ""},
      {"ABCD-7", "ABCD-7", "ABCD-5"},
      {"AB1CD-", "AB1CD-", ""},
      {"AB1CD", "AB1CD", ""},
      {"ABCDEFGHIJ-1", "ABCDEFGHI", ""},  // a home login past 9 characters would be refused
      {"ABCDEFGH-1", "ABCDEFGH", ""},     // never cut to a trailing dash
      {"ABCDEF-12", "ABCDEF-12", "ABCDEF-5"},
  };
  for (const auto& c : cases) {
    const LoadedSettings loaded = Load(std::string("[Aprs]\nCallSign=") + c.callSign +
                                       "\nHome Position Enable=1\nHome SSID=5\nPassword=0x10\n");
    EXPECT_EQ(loaded.aprsLogin.loginCallsign, c.login) << c.callSign;
    EXPECT_EQ(loaded.aprsLogin.homeCallsign, c.home) << c.callSign;
    EXPECT_EQ(loaded.aprsLogin.sendHomePosition, *c.home != '\0') << c.callSign;
    EXPECT_EQ(loaded.settings.aprs.callSign, c.callSign);  // the field keeps it whole
    EXPECT_EQ(loaded.aprsLogin.passcode, 16);
  }
}

TEST_F(SettingsTest, ConvertsFieldTextsWithTheirFallbacks) {
  IniFile ini;
  LoadedSettings loaded = LoadSettings(ini, m_env);
  loaded.texts.password = "secret";
  loaded.texts.range = "";
  loaded.texts.homeLatitude = "44.53861234";
  loaded.texts.homeLongitude = "-0.5";
  ASSERT_EQ(SaveSettings(loaded.settings, loaded.texts, ini), "");
  EXPECT_EQ(ini.ReadString("Aprs", "Password", ""), "-1");
  EXPECT_EQ(ini.ReadString("Aprs", "Range", ""), "50");
  // The dialog shows what was saved without rounding it to four decimals.
  const LoadedSettings again = LoadSettings(ini, m_env);
  EXPECT_EQ(again.texts.homeLatitude, "44.53861234");
  EXPECT_EQ(again.texts.homeLongitude, "-0.5000");
  EXPECT_EQ(again.texts.password, "");
}

TEST_F(SettingsTest, ARefusedSaveChangesNothing) {
  const std::string before = "[General]\r\nRel=10\r\n[Aprs]\r\nCallSign=AB1CD-7\r\n";
  struct Case {
    std::function<void(SettingsTexts&)> edit;
    const char* message;
  };
  const Case cases[] = {
      {[](SettingsTexts& t) { t.homeAltitude = "12.5"; },
       "Invalid value in Maps->Altitude asl\rPlease use a whole number of meters"},
      {[](SettingsTexts& t) { t.homeLatitude = "44,5"; },
       "Invalid value in Maps->Latitude value\rPlease use DD.DDDD format"},
      {[](SettingsTexts& t) { t.launchLongitude = "east"; },
       "Invalid Longitude in APRS->Longitude\rPlease use DD.DDDD format"},
      {[](SettingsTexts& t) { t.netRemotePort = ""; },
       "Invalid value in Radio Interface->NetRemote port"},
  };
  for (const auto& c : cases) {
    IniFile ini;
    ini.Parse(before);
    LoadedSettings loaded = LoadSettings(ini, m_env);
    c.edit(loaded.texts);
    EXPECT_EQ(SaveSettings(loaded.settings, loaded.texts, ini), c.message);
    EXPECT_EQ(ini.Text(), before);
  }
}

TEST_F(SettingsTest, RealsUnderADecimalComma) {
  IniFile comma(',');
  comma.Parse("[Maps Settings]\nHome Lat=48,1375\nHome Long=11.575\n");
  LoadedSettings loaded = LoadSettings(comma, m_env);
  EXPECT_DOUBLE_EQ(loaded.settings.maps.homeLatitude, 48.1375);
  EXPECT_DOUBLE_EQ(loaded.settings.maps.homeLongitude, 11.575);
  // Launch site defaults to the home just read; the dialog's texts always use ".".
  EXPECT_EQ(loaded.texts.launchLatitude, "48.137500");
  ASSERT_EQ(SaveSettings(loaded.settings, loaded.texts, comma), "");
  EXPECT_EQ(comma.ReadString("Maps Settings", "Home Lat", ""), "48,1375");
  EXPECT_EQ(comma.ReadString("Aprs", "Launch Long", ""), "11,575");
}

TEST_F(SettingsTest, RawFolderDecisions) {
  const std::string custom = (m_dir / "custom").string();
  const std::string blocked = (m_dir / "file" / "RawData").string();
  std::ofstream(m_dir / "file") << "";
  struct Case {
    bool save;
    std::string dir;
    std::string defaultDir;
    bool saveRaw;
    const char* message;
  };
  const Case cases[] = {
      {false, custom, m_env.defaultRawDir, false, ""},
      {true, custom, m_env.defaultRawDir, false,
       "Invalid RawFile folder.\rSave Raw file disabled."},
      {true, blocked, blocked, false, "Unable to create RawFile folder.\rSave Raw file disabled."},
      {true, "", "", false, "Invalid RawFile folder.\rSave Raw file disabled."},
      {true, m_env.defaultRawDir + "/", m_env.defaultRawDir, true, ""},
  };
  for (const auto& c : cases) {
    const RawFolderCheck check = CheckRawFolder(c.save, c.dir, c.defaultDir);
    EXPECT_EQ(check.saveRaw, c.saveRaw) << c.dir;
    EXPECT_EQ(check.status, c.saveRaw ? "Save Raw File: Enabled" : "Save Raw File: Disabled");
    EXPECT_EQ(check.message, c.message) << c.dir;
  }
  EXPECT_FALSE(fs::exists(custom));
  fs::create_directories(custom);
  EXPECT_TRUE(CheckRawFolder(true, custom, m_env.defaultRawDir).saveRaw);
}

TEST_F(SettingsTest, AprsHostsCanBeOverridden) {
  const char* text = "[Aprs]\nServerNum=2\n[Hosts]\nAprs Region 2=aunz.example.net\n";
  EXPECT_EQ(Load("[Aprs]\nServerNum=4\n").aprsLogin.serverHost, "soam.aprs2.net");
  EXPECT_EQ(Load(text).aprsLogin.serverHost, "aunz.example.net");
  m_env.aprsHostOverride = "127.0.0.1";
  EXPECT_EQ(Load(text).aprsLogin.serverHost, "127.0.0.1");
}

TEST_F(SettingsTest, ReceiverLinkAndRotctldKeys) {
  const LoadedSettings defaults = Load("");
  EXPECT_EQ(defaults.settings.radio.link, RadioLinkKind::NetRemote);
  EXPECT_EQ(defaults.settings.radio.rigctlHost, "127.0.0.1");
  EXPECT_EQ(defaults.settings.radio.rigctlPort, 4532);
  EXPECT_EQ(defaults.settings.rotor.rotctldHost, "127.0.0.1");
  EXPECT_EQ(defaults.settings.rotor.rotctldPort, 4533);
  const LoadedSettings set = Load(
      "[Radio Controls]\nLink=1\nRigctl Host=sdr.local\nRigctl Port=7356\n"
      "[Antenna Rotor]\nProtocol=4\nRotctld Port=4534\n");
  EXPECT_EQ(set.settings.radio.link, RadioLinkKind::Rigctl);
  EXPECT_EQ(set.settings.radio.rigctlHost, "sdr.local");
  EXPECT_EQ(set.settings.radio.rigctlPort, 7356);
  EXPECT_EQ(set.settings.rotor.protocol, 4);
  EXPECT_EQ(set.settings.rotor.rotctldPort, 4534);
  EXPECT_EQ(AppliedSettingsOf(set).rotor.protocol, 4);
  // Values that mean nothing keep the defaults.
  const LoadedSettings bad = Load(
      "[Radio Controls]\nLink=7\nRigctl Host=\nRigctl Port=0\n"
      "[Antenna Rotor]\nProtocol=5\nRotctld Port=70000\n");
  EXPECT_EQ(bad.settings.radio.link, RadioLinkKind::NetRemote);
  EXPECT_EQ(bad.settings.radio.rigctlHost, "127.0.0.1");
  EXPECT_EQ(bad.settings.radio.rigctlPort, 4532);
  EXPECT_EQ(bad.settings.rotor.protocol, 0);
  EXPECT_EQ(bad.settings.rotor.rotctldPort, 4533);
}

TEST_F(SettingsTest, StationGpsSourcePublishersAndVersionFile) {
  const LoadedSettings defaults = Load("");
  const GpsInSettings& gps = defaults.settings.gps;
  EXPECT_EQ(gps.source, GpsSource::SerialPort);
  EXPECT_EQ(gps.gpsdHost, "127.0.0.1");
  EXPECT_EQ(gps.gpsdPort, 2947);
  EXPECT_FALSE(gps.chaseMapFeed);
  EXPECT_EQ(gps.chaseMapHost, "127.0.0.1");
  EXPECT_EQ(gps.chaseMapPort, 55673);
  EXPECT_EQ(defaults.settings.updates.versionFileUrl, kDefaultVersionFileUrl);
  EXPECT_FALSE(defaults.GpsPortAvailable());  // COM1 is not there

  // gpsd needs no serial port for the button; bad values take the defaults.
  const LoadedSettings gpsd = Load(
      "[Gps In]\nSource=1\nGpsd Host=\nGpsd Port=70000\nChase Map Feed=1\n"
      "Chase Map Host=10.0.0.2\nChase Map Port=0\n"
      "[Updates]\nVersion File=http://127.0.0.1:8000/v.txt\nWeb Page=\n");
  EXPECT_EQ(gpsd.settings.gps.source, GpsSource::Gpsd);
  EXPECT_TRUE(gpsd.GpsPortAvailable());
  EXPECT_TRUE(AppliedSettingsOf(gpsd).gpsInEnabled);
  EXPECT_EQ(gpsd.settings.gps.gpsdHost, "127.0.0.1");
  EXPECT_EQ(gpsd.settings.gps.gpsdPort, 2947);
  EXPECT_TRUE(gpsd.settings.gps.chaseMapFeed);
  EXPECT_EQ(gpsd.settings.gps.chaseMapHost, "10.0.0.2");
  EXPECT_EQ(gpsd.settings.gps.chaseMapPort, 55673);
  EXPECT_EQ(gpsd.settings.updates.versionFileUrl, "http://127.0.0.1:8000/v.txt");
  EXPECT_EQ(gpsd.settings.updates.webPageUrl, kDefaultWebPageUrl);
  EXPECT_EQ(Load("[Gps In]\nSource=2\n").settings.gps.source, GpsSource::SerialPort);

  IniFile ini;
  const LoadedSettings again = SaveAndReload(gpsd, ini);
  EXPECT_EQ(again.settings.gps.source, GpsSource::Gpsd);
  EXPECT_EQ(again.settings.gps.chaseMapHost, "10.0.0.2");
  EXPECT_EQ(again.settings.updates.versionFileUrl, "http://127.0.0.1:8000/v.txt");
}

// SondeHub: off by default; the station keys round-trip; the address and the CA file are
// hand-written keys of [Hosts] that a save leaves alone.
TEST_F(SettingsTest, SondeHubKeys) {
  const SondeHubSettings defaults = Load("").settings.sondehub;
  EXPECT_FALSE(defaults.enable);
  EXPECT_EQ(defaults.url, kDefaultSondeHubUrl);
  EXPECT_TRUE(defaults.callsign.empty() && defaults.caFile.empty());

  const LoadedSettings set = Load(
      "[SondeHub]\nEnable=1\nCallsign=DL1ABC-9\nAntenna=Yagi 5 el\nMobile Station=1\n"
      "Test Mode=1\n[Hosts]\nSondeHub URL=http://127.0.0.1:8080\nSondeHub CA File=/tmp/ca.pem\n");
  IniFile ini;
  ini.Parse("[Hosts]\nSondeHub URL=http://127.0.0.1:8080\nSondeHub CA File=/tmp/ca.pem\n");
  const SondeHubSettings again = SaveAndReload(set, ini).settings.sondehub;
  EXPECT_TRUE(again.enable && again.mobile && again.testMode);
  EXPECT_EQ(again.callsign, "DL1ABC-9");
  EXPECT_EQ(again.antenna, "Yagi 5 el");
  EXPECT_EQ(again.url, "http://127.0.0.1:8080");
  EXPECT_EQ(again.caFile, "/tmp/ca.pem");
  EXPECT_EQ(AppliedSettingsOf(set).sondehub.callsign, "DL1ABC-9");

  for (const auto& [callsign, ok] : std::initializer_list<std::pair<const char*, bool>>{
           {"DL1ABC-9", true},
           {"VK5/N0CALL_2", true},
           {"", false},
           {"DL1 ABC", false},
           {"A\"B", false},
           {"ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456", false}}) {
    EXPECT_EQ(SondeHubCallsignOk(callsign), ok) << callsign;
  }
}

}  // namespace
}  // namespace windlark
