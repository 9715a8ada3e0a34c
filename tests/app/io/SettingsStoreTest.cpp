#include "app/io/SettingsStore.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <QLocale>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "support/FileSizeLimit.h"

namespace windlark {
namespace {

namespace fs = std::filesystem;

std::string ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class SettingsStoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_dir = fs::temp_directory_path() /
            ("windlark-store-" + std::to_string(::getpid()) + "-" +
             ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(m_dir);
    fs::create_directories(m_dir / "bin");
    ::setenv("XDG_CONFIG_HOME", (m_dir / "config").c_str(), 1);
    ::setenv("XDG_DATA_HOME", (m_dir / "data").c_str(), 1);
    ::unsetenv("WINDLARK_APRS_HOST");
    QLocale::setDefault(QLocale::c());
  }
  void TearDown() override {
    QLocale::setDefault(QLocale::c());
    ::unsetenv("XDG_CONFIG_HOME");
    ::unsetenv("XDG_DATA_HOME");
    fs::remove_all(m_dir);
  }
  SettingsStore Portable() const {
    return SettingsStore(AppPaths(QString::fromStdString((m_dir / "bin").string()),
                                  AppPaths::Location::BesideExecutable));
  }
  fs::path m_dir;
};

TEST_F(SettingsStoreTest, PortableInstallKeepsEverythingBesideTheExecutable) {
  const SettingsStore store = Portable();
  const fs::path ini = m_dir / "bin" / "windlark.ini";
  EXPECT_EQ(store.FilePath().toStdString(), ini.string());

  const LoadedSettings loaded = store.Load({"Line In"});
  EXPECT_EQ(loaded.settings.logs.rawDir, (m_dir / "bin" / "RawData").string());
  EXPECT_EQ(loaded.settings.maps.mapDir, (m_dir / "bin" / "maps").string());
  EXPECT_TRUE(fs::is_directory(m_dir / "bin" / "RawData"));
  EXPECT_TRUE(loaded.raw.saveRaw);
  EXPECT_FALSE(fs::exists(ini));  // loading never writes the file

  ASSERT_EQ(store.Save(loaded.settings, loaded.texts), "");
  EXPECT_NE(ReadAll(ini).find("[General]\r\nRel=10\r\n"), std::string::npos);
}

TEST_F(SettingsStoreTest, AnIniBesideTheExecutableMakesAPortableInstall) {
  // A writable program folder alone (a build tree) keeps nothing there.
  const fs::path bin = m_dir / "bin";
  EXPECT_EQ(AppPaths(QString::fromStdString(bin.string())).IniFile().toStdString(),
            (m_dir / "config" / "windlark" / "windlark.ini").string());
  EXPECT_EQ(AppPaths(QString::fromStdString(bin.string())).RawDataDir().toStdString(),
            (m_dir / "data" / "windlark" / "RawData").string());
  std::ofstream(bin / "windlark.ini", std::ios::binary) << "";
  const AppPaths portable(QString::fromStdString(bin.string()));
  EXPECT_TRUE(portable.Portable());
  EXPECT_EQ(portable.IniFile().toStdString(), (bin / "windlark.ini").string());
  EXPECT_EQ(portable.MapsDir().toStdString(), (bin / "maps").string());
}

TEST_F(SettingsStoreTest, WithoutAWritableProgramFolderUsesTheXdgFolders) {
  ::setenv("WINDLARK_APRS_HOST", " 127.0.0.1 ", 1);
  const SettingsStore store(AppPaths(QString::fromStdString((m_dir / "absent").string())));
  const fs::path ini = m_dir / "config" / "windlark" / "windlark.ini";
  EXPECT_EQ(store.FilePath().toStdString(), ini.string());
  const LoadedSettings loaded = store.Load({});
  EXPECT_EQ(loaded.settings.logs.rawDir, (m_dir / "data" / "windlark" / "RawData").string());
  EXPECT_TRUE(fs::is_directory(loaded.settings.logs.rawDir));
  EXPECT_EQ(loaded.aprsLogin.serverHost, "127.0.0.1");
  ASSERT_EQ(store.Save(loaded.settings, loaded.texts), "");  // creates its folder
  EXPECT_TRUE(fs::is_regular_file(ini));
}

TEST_F(SettingsStoreTest, RealsFollowTheUserLocaleAndOtherSectionsStay) {
  const fs::path ini = m_dir / "bin" / "windlark.ini";
  std::ofstream(ini, std::ios::binary) << "[Hosts]\r\nAprs Region 1=aprs.example.net\r\n";
  ASSERT_EQ(LocaleDecimalSeparator(QLocale(QLocale::German, QLocale::Germany)), ',');

  const SettingsStore store(AppPaths(QString::fromStdString((m_dir / "bin").string())), ',');
  LoadedSettings loaded = store.Load({});
  loaded.texts.homeLatitude = "48.1375";
  ASSERT_EQ(store.Save(loaded.settings, loaded.texts), "");
  const std::string text = ReadAll(ini);
  EXPECT_EQ(text.rfind("[Hosts]\r\nAprs Region 1=aprs.example.net\r\n", 0), 0u);
  EXPECT_NE(text.find("Home Lat=48,1375\r\n"), std::string::npos);
  EXPECT_DOUBLE_EQ(store.Load({}).settings.maps.homeLatitude, 48.1375);

  // The same file read by a "." locale still reads.
  const SettingsStore pointStore(AppPaths(QString::fromStdString((m_dir / "bin").string())), '.');
  EXPECT_DOUBLE_EQ(pointStore.Load({}).settings.maps.homeLatitude, 48.1375);
}

TEST_F(SettingsStoreTest, FailedAndRefusedSavesLeaveTheFileAsItWas) {
  const SettingsStore store = Portable();
  const fs::path ini = m_dir / "bin" / "windlark.ini";
  LoadedSettings loaded = store.Load({});
  ASSERT_EQ(store.Save(loaded.settings, loaded.texts), "");
  const std::string before = ReadAll(ini);

  loaded.settings.aprs.callSign = std::string(4000, 'X');
  QString message;
  {
    test::FileSizeLimit limit(before.size());
    message = store.Save(loaded.settings, loaded.texts);
  }
  EXPECT_TRUE(
      message.startsWith(QStringLiteral("Unable to save the settings to ") + store.FilePath()))
      << message.toStdString();
  EXPECT_EQ(ReadAll(ini), before);

  loaded.texts.homeAltitude = "1200.5";
  EXPECT_EQ(store.Save(loaded.settings, loaded.texts),
            QStringLiteral("Invalid value in Maps->Altitude asl\rPlease use a whole number of "
                           "meters"));
  EXPECT_EQ(ReadAll(ini), before);
  EXPECT_EQ(std::distance(fs::directory_iterator(m_dir / "bin"), {}), 2);  // ini and RawData
}

}  // namespace
}  // namespace windlark
