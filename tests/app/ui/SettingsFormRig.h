#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <QAbstractButton>
#include <QLineEdit>
#include <QLocale>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "app/io/SettingsStore.h"
#include "app/ui/RecordingPrompts.h"
#include "app/ui/SettingsForm.h"

namespace windlark::test {

// A settings dialog with recorded prompts, and a portable install in a temporary folder.
class SettingsFormRig : public ::testing::Test {
 protected:
  void SetUp() override {
    m_dir = std::filesystem::temp_directory_path() /
            ("windlark-settingsui-" + std::to_string(::getpid()) + "-" +
             ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(m_dir);
    std::filesystem::create_directories(m_dir / "bin");
    ::setenv("XDG_CONFIG_HOME", (m_dir / "config").c_str(), 1);
    ::setenv("XDG_DATA_HOME", (m_dir / "data").c_str(), 1);
    ::unsetenv("WINDLARK_APRS_HOST");
    QLocale::setDefault(QLocale::c());
    m_form = std::make_unique<TSettingsForm>(m_devices, &m_prompts);
  }
  void TearDown() override {
    m_form.reset();
    ::unsetenv("XDG_CONFIG_HOME");
    ::unsetenv("XDG_DATA_HOME");
    std::filesystem::remove_all(m_dir);
  }

  template <class T>
  T* Find(const char* name) const {
    T* widget = m_form->findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(widget, nullptr) << name;
    return widget;
  }
  void Type(const char* field, const QString& text) const { Find<QLineEdit>(field)->setText(text); }
  void Click(const char* button) const { Find<QAbstractButton>(button)->click(); }

  // Reals with "." whatever the locale the tests run under: the files here are written so.
  SettingsStore Store() const {
    return SettingsStore(AppPaths(QString::fromStdString((m_dir / "bin").string()),
                                  AppPaths::Location::BesideExecutable),
                         '.');
  }
  std::filesystem::path IniPath() const { return m_dir / "bin" / "windlark.ini"; }
  void WriteIni(const std::string& text) const {
    std::ofstream(IniPath(), std::ios::binary) << text;
  }
  std::string ReadIni() const {
    std::ifstream in(IniPath(), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }

  // A station as a user would have set it up, every section away from its defaults.
  std::string RealisticIni() const {
    const std::string bin = (m_dir / "bin").string();
    return "[General]\r\nRel=10\r\n"
           "[Audio Settings]\r\nInputInterface=1\r\nAutorun=1\r\nDemodulator=Standard\r\n"
           "[Radio Controls]\r\nNetRemote port=3383\r\nAutorun=0\r\nFreq-01=402700000\r\n"
           "Freq-02=403900000\r\nFreq-03=405100000\r\nRestartScan=1\r\nRearm Time=10\r\n"
           "[Logs Files]\r\nSave Raw Data=1\r\nformat=0\r\nRawDir=" +
           bin +
           "/RawData\r\n"
           "[Maps Settings]\r\nDefault Map Type=2\r\nOnline Map Mode=1\r\nAutosave Maps=0\r\n"
           "MapDir=" +
           bin +
           "/maps\r\nDefault Zoom Level=11\r\nHome Lat=52.2094\r\nHome Long=14.1221\r\n"
           "Home Altitude=112\r\n"
           "[Meas Units]\r\nWind Speed=1\r\nVertical Speed=2\r\n"
           "[Updates]\r\nCheck updates at startup=0\r\n"
           "[Antenna Rotor]\r\nProtocol=2\r\nPort=3\r\nPort Name=/dev/ttyUSB7\r\nSpeed=5\r\n"
           "PresetId-01=Launch site\r\nPresetAz-01=123\r\nPresetEl-01=4\r\n"
           "PresetId-02=North\r\nPresetAz-02=0\r\nPresetEl-02=10\r\n"
           "PresetId-04=Ridge\r\nPresetAz-04=359\r\nPresetEl-04=180\r\n"
           "Sensitivity Angle=3\r\nQuery Position Period=10\r\n"
           "[Aprs]\r\nEnable=1\r\nAutoStart=1\r\nCallSign=DL1ABC-7\r\n"
           "Home Position Enable=1\r\nHome SSID=5\r\nPassword=12345\r\nServerNum=1\r\n"
           "MonitoringMode=1\r\nLaunch Lat=52.2094\r\nLaunch Long=14.1221\r\nRange=150\r\n"
           "[Gps In]\r\nProtocol=0\r\nPort=1\r\nPort Name=/dev/ttyACM7\r\nSpeed=2\r\n"
           "DataBits=7\r\nParity=3\r\nStopBits=1\r\n";
  }

  std::filesystem::path m_dir;
  std::vector<std::string> m_devices = {"Built-in Audio Analog Stereo", "USB Audio CODEC"};
  RecordingPrompts m_prompts;
  std::unique_ptr<TSettingsForm> m_form;
};

}  // namespace windlark::test
