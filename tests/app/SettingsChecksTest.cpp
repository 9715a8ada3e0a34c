#include "app/SettingsChecks.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "app/AppliedSettings.h"

namespace windlark {
namespace {

// Settings that pass every check, with APRS on, a home position report and a local zone.
struct Passing {
  Settings s;
  SettingsTexts t;
  Passing() {
    s.aprs.enable = true;
    s.aprs.callSign = "AB1CD-7";
    s.aprs.homePositionEnable = true;
    s.aprs.homeSsid = 5;
    s.aprs.serverNum = 1;
    s.aprs.monitoringMode = 1;
    t = TextsOf(s);
    t.password = "12345";
  }
};

TEST(SettingsChecksTest, CallsignsAndSsids) {
  struct Case {
    const char* callSign;
    int homeSsid;
    const char* message;
  };
  const std::string invalid = "Invalid Callsign in Aprs settings\rPlease insert a valid one";
  const std::string range =
      "Invalid Callsign in Aprs settings\rCallsign SSID bust be between 1 and 15 ";
  const std::string same =
      "Invalid Aprs settings\rCallsign SSID must be different from Home position SSDD ";
  const Case cases[] = {
      {"AB1CD-7", 5, ""},
      {"AB1-7", 5, ""},  // passes here; the load then finds no home callsign
      {"AB1CD-0", 5, ""},
      {"AB1CD-15", 5, ""},
      {"AB1CD-", 5, invalid.c_str()},
      {"AB1CD", 5, invalid.c_str()},
      {"A-1", 5, invalid.c_str()},
      {"-ABC1", 5, invalid.c_str()},
      {"AB C-7", 5, invalid.c_str()},  // would split the login line
      {"AB1CD-16", 5, range.c_str()},
      {"AB1CD-99999999999", 5, range.c_str()},
      {"AB1CD-X", 5, "'X' is not a valid integer value"},
      {"AB1CD-7-1", 5, "'7-1' is not a valid integer value"},
      {"AB1CD-+7", 5, "'+7' is not a valid integer value"},
      {"AB1CD-0x7", 5, "'0x7' is not a valid integer value"},
      {"AB1CD-5", 5, same.c_str()},
  };
  for (const auto& c : cases) {
    Passing p;
    p.s.aprs.callSign = c.callSign;
    p.s.aprs.homeSsid = c.homeSsid;
    EXPECT_EQ(CheckSettingsForm(p.s, p.t).message, c.message) << c.callSign;
  }
  // Without a home report the SSIDs may match; without APRS nothing of it is checked.
  Passing p;
  p.s.aprs.callSign = "AB1CD-5";
  p.s.aprs.homePositionEnable = false;
  EXPECT_EQ(CheckSettingsForm(p.s, p.t).message, "");
  p.s.aprs.enable = false;
  p.s.aprs.callSign = "AB1CD";
  p.t.password = "x";
  p.s.aprs.serverNum = 0;
  EXPECT_EQ(CheckSettingsForm(p.s, p.t).message, "");
}

TEST(SettingsChecksTest, TheHomePositionMustBeOnEarth) {
  struct Case {
    const char* latitude;
    const char* longitude;
    const char* altitude;
    const char* message;
  };
  const char* const latitude = "Invalid value in Maps->Latitude value\rPlease use DD.DDDD format";
  const char* const longitude = "Invalid value in Maps->Longitude value\rPlease use DD.DDDD format";
  const char* const altitude =
      "Invalid value in Maps->Altitude asl\rPlease use a whole number of meters";
  const Case cases[] = {
      {"-90", "-180", "-1000", ""},        {"90", "180", "10000", ""},
      {"95", "7", "0", latitude},          {"-90.5", "7", "0", latitude},
      {"44", "200", "0", longitude},       {"44", "-180.01", "0", longitude},
      {"44", "7", "2147483647", altitude}, {"44", "7", "-1001", altitude},
  };
  for (const Case& c : cases) {
    Passing p;
    p.t.homeLatitude = c.latitude;
    p.t.homeLongitude = c.longitude;
    p.t.homeAltitude = c.altitude;
    EXPECT_EQ(CheckSettingsForm(p.s, p.t).message, c.message) << c.latitude << " " << c.longitude;
  }
  // A file's values out of range read as the defaults.
  IniFile ini;
  ini.Parse("[Maps Settings]\nHome Lat=95\nHome Long=200\nHome Altitude=2147483647\n");
  SettingsEnvironment env;
  env.defaultRawDir =
      (std::filesystem::temp_directory_path() / ("windlark-home-" + std::to_string(::getpid())))
          .string();
  const LoadedSettings loaded = LoadSettings(ini, env);
  std::filesystem::remove_all(env.defaultRawDir);
  EXPECT_EQ(loaded.settings.maps.homeLatitude, kDefaultHomeLatitude);
  EXPECT_EQ(loaded.settings.maps.homeLongitude, kDefaultHomeLongitude);
  EXPECT_EQ(loaded.settings.maps.homeAltitudeM, 0);
}

TEST(SettingsChecksTest, TheRescanDelayTakesEffectOnceItPasses) {
  Passing p;
  p.t.rearmTime = "1441";
  SettingsFormCheck check = CheckSettingsForm(p.s, p.t);
  EXPECT_FALSE(check.rescanDelayMin);
  p.t.rearmTime = "7";
  p.t.homeAltitude = "310.5";  // refused after the delay has passed
  check = CheckSettingsForm(p.s, p.t);
  EXPECT_EQ(check.message,
            "Invalid value in Maps->Altitude asl\rPlease use a whole number of meters");
  EXPECT_EQ(check.rescanDelayMin, 7);
  // Launch fields are checked only in local mode, but the save needs them either way.
  p.t.homeAltitude = "310";
  p.s.aprs.monitoringMode = 0;
  p.t.launchLatitude = "north";
  EXPECT_EQ(CheckSettingsForm(p.s, p.t).message,
            "Invalid Latitude in APRS->Latitude\rPlease use DD.DDDD format");
  p.t.launchLatitude = "45.1";
  p.t.range = "0";  // not checked in world mode
  EXPECT_EQ(CheckSettingsForm(p.s, p.t).message, "");
}

TEST(SettingsChecksTest, NewFrequenciesAndPresets) {
  const std::string freq = "Invalid frequency.\rvalid range [400000000 - 407000000]";
  for (const char* text : {"400000000", "407000000", "402800000"}) {
    EXPECT_EQ(CheckNewFrequency(text), "") << text;
  }
  for (const char* text : {"399999999", "407000001", "", "4.05e8", "abc"}) {
    EXPECT_EQ(CheckNewFrequency(text), freq) << text;
  }

  struct Case {
    const char* name;
    const char* az;
    const char* el;
    const char* message;
  };
  const Case cases[] = {
      {"North", "0", "0", ""},
      {" Ridge ", "359", "180", ""},
      {"", "360", "181", "Invalid Azimuth  value\rValid range [0..359]"},
      {"", "", "0", "Invalid Azimuth  value\rValid range [0..359]"},
      {"", "10", "181", "Invalid Elevation value\rValid range [0..180]"},
      {"", "10", "", "Invalid Elevation value\rValid range [0..180]"},
      {" \t ", "10", "10", "Preset name cannot be void"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(CheckNewPreset(c.name, c.az, c.el), c.message) << c.name << c.az << c.el;
  }
}

TEST(SettingsChecksTest, PresetRowsGrowAndShrink) {
  std::vector<RotorPreset> rows(1);
  AddPreset(rows, {"North", 0, 5});
  ASSERT_EQ(rows.size(), 1u);  // the lone blank row takes it
  AddPreset(rows, {"East", 90, 5});
  AddPreset(rows, {"South", 180, 5});
  DeletePreset(rows, 0);
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0].name, "East");
  DeletePreset(rows, 1);
  DeletePreset(rows, 0);
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].name, "");

  // Rows left blank by the file count: nine rows fill the grid.
  rows.assign(8, RotorPreset{});
  EXPECT_FALSE(PresetListFull(rows));
  AddPreset(rows, {"Ninth", 1, 1});
  EXPECT_TRUE(PresetListFull(rows));
}

TEST(SettingsChecksTest, AppliedSettingsTileModeAndStarts) {
  struct Case {
    bool online;
    bool autosave;
    TileMode mode;
  };
  for (const Case c : {Case{true, true, TileMode::OnlineAutosave},
                       Case{true, false, TileMode::Online}, Case{false, true, TileMode::Offline}}) {
    LoadedSettings loaded;
    loaded.settings.maps.onlineMode = c.online;
    loaded.settings.maps.autosaveMaps = c.autosave;
    const AppliedSettings a = AppliedSettingsOf(loaded);
    EXPECT_EQ(a.tileMode, c.mode);
    EXPECT_EQ(a.saveMapEnabled, c.online);
    EXPECT_EQ(a.saveMapOnDisk, c.autosave);
  }
  LoadedSettings loaded;
  loaded.settings.maps.zoomLevel = 5;
  loaded.settings.aprs.autoStart = true;  // but APRS is off
  loaded.gpsPortIndex = 0;
  const AppliedSettings a = AppliedSettingsOf(loaded);
  EXPECT_EQ(a.zoomLabel, "05");
  EXPECT_FALSE(a.startAprs);
  EXPECT_TRUE(a.gpsInEnabled);
}

}  // namespace
}  // namespace windlark
