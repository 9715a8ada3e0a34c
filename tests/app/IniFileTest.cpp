#include "app/IniFile.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>

#include "support/FileSizeLimit.h"

namespace windlark {
namespace {

namespace fs = std::filesystem;

std::string ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteAll(const fs::path& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

TEST(IniFile, ReadsWindowsProfileSyntax) {
  IniFile ini;
  ini.Parse(
      "\xEF\xBB\xBF"
      "orphan=before any section\r\n"
      "[Maps Settings]\r\n"
      "  Default Zoom Level  =  14  \r\n"
      "; Home Lat=1.0\r\n"
      "this line means nothing\r\n"
      "=no key\r\n"
      "\x01\x02\xFF garbage\r\n"
      "MapDir=/srv/maps = tiles\r\n"
      "Empty=\r\n"
      "mapdir=second wins nothing\r\n"
      "[ maps settings ]\r\n"
      "Home Altitude=99\r\n"
      "[Gps In\r\n"
      "Port=7\r\n");
  EXPECT_EQ(ini.ReadInteger("maps settings", "default zoom level", 0), 14);
  EXPECT_EQ(ini.ReadString("Maps Settings", "MapDir", "x"), "/srv/maps = tiles");
  EXPECT_EQ(ini.ReadString("Maps Settings", "Empty", "x"), "");
  EXPECT_EQ(ini.ReadString("Maps Settings", "Home Lat", "none"), "none");
  // A repeated section is not consulted; a header missing its ']' still opens its own section.
  EXPECT_EQ(ini.ReadInteger("Maps Settings", "Home Altitude", -5), -5);
  EXPECT_EQ(ini.ReadInteger("Gps In", "Port", 0), 7);
  EXPECT_EQ(ini.ReadInteger("Maps Settings", "Port", 0), 0);
  EXPECT_FALSE(ini.Value("", "orphan"));
  EXPECT_FALSE(ini.Value("Maps Settings", "this line means nothing"));
  EXPECT_FALSE(ini.Value("Maps SettingsX", "MapDir"));
}

TEST(IniFile, IntegersBooleansAndTheirDefaults) {
  struct Case {
    const char* text;
    int want;
  };
  const Case cases[] = {
      {"12", 12},
      {" -7 ", -7},
      {"+7", 7},
      {"0x1F", 31},
      {"0X1f", 31},
      {"-0x10", -16},
      {"0xFFFFFFFF", -1},
      {"0x7FFFFFFF", 2147483647},
      {"-2147483648", std::numeric_limits<int>::min()},
      {"2147483648", 99},
      {"0x123456789", 99},
      {"12abc", 99},
      {"1.5", 99},
      {"", 99},
      {"0x", 99},
      {"x12", 99},
      {"+-5", 99},
      {"1 2", 99},
      {"0xG", 99},
  };
  for (const auto& c : cases) {
    IniFile ini;
    ini.Parse(std::string("[S]\nk=") + c.text + "\n");
    EXPECT_EQ(ini.ReadInteger("S", "k", 99), c.want) << '"' << c.text << '"';
  }
  IniFile ini;
  ini.Parse("[S]\nTwo=2\nZero=0\nHexZero=0x0\nWord=yes\n");
  EXPECT_TRUE(ini.ReadBool("S", "Two", false));
  EXPECT_FALSE(ini.ReadBool("S", "Zero", true));
  EXPECT_FALSE(ini.ReadBool("S", "HexZero", true));
  EXPECT_TRUE(ini.ReadBool("S", "Word", true));
  EXPECT_FALSE(ini.ReadBool("S", "Word", false));
  EXPECT_TRUE(ini.ReadBool("S", "Missing", true));
}

TEST(IniFile, RealsFollowTheLocaleSeparatorAndSurviveAChangeOfLocale) {
  IniFile comma(',');
  comma.WriteReal("Maps Settings", "Home Lat", 44.5386);
  comma.WriteReal("Maps Settings", "Third", 1.0 / 3.0);
  comma.WriteReal("Maps Settings", "Sum", 0.1 + 0.2);
  comma.WriteReal("Maps Settings", "West", -7.0);
  comma.WriteReal("Maps Settings", "Nan", std::numeric_limits<double>::quiet_NaN());
  EXPECT_EQ(comma.Text(),
            "[Maps Settings]\r\nHome Lat=44,5386\r\nThird=0,333333333333333\r\nSum=0,3\r\n"
            "West=-7\r\n");

  IniFile dot('.');
  dot.Parse(comma.Text() + "Point=12.25\nExp=1e3\nBoth=1,234.5\nWord=abc\nInf=inf\nPlus=+2,5\n");
  EXPECT_DOUBLE_EQ(dot.ReadReal("Maps Settings", "Home Lat", 0), 44.5386);
  EXPECT_DOUBLE_EQ(dot.ReadReal("Maps Settings", "Point", 0), 12.25);
  EXPECT_DOUBLE_EQ(dot.ReadReal("Maps Settings", "Exp", 0), 1000.0);
  EXPECT_DOUBLE_EQ(dot.ReadReal("Maps Settings", "Plus", 0), 2.5);
  EXPECT_DOUBLE_EQ(dot.ReadReal("Maps Settings", "Both", -1), -1);
  EXPECT_DOUBLE_EQ(dot.ReadReal("Maps Settings", "Word", -1), -1);
  EXPECT_DOUBLE_EQ(dot.ReadReal("Maps Settings", "Inf", -1), -1);
  EXPECT_DOUBLE_EQ(dot.ReadReal("Maps Settings", "Nan", -1), -1);

  EXPECT_EQ(ParseIniReal("44.5", ','), std::nullopt);  // strictly the separator asked for
  EXPECT_EQ(ParseIniReal(" 44,5 ", ','), 44.5);
}

TEST(IniFile, RewritesSectionsAndKeepsEverythingElseInPlace) {
  const std::string original =
      "; written by hand\n"
      "[Hosts]\n"
      "Tiles=http://127.0.0.1:8080\n"
      "\n"
      "[Radio Controls]\n"
      "Freq-01=402800000\n"
      "Freq-02=403000000\n"
      "\n"
      "[Custom]\n"
      "Unknown Key = kept as it was \n"
      "garbage without equals\n"
      "\n"
      "[radio controls]\n"
      "Freq-03=404000000\n";
  IniFile ini;
  ini.Parse(original);
  EXPECT_EQ(ini.Text(), original);  // LF files stay LF, untouched lines stay byte for byte

  ini.EraseSection("RADIO CONTROLS");
  ini.WriteInteger("Radio Controls", "Freq-01", 405000000);
  ini.WriteString("Hosts", "Aprs Region 1", "127.0.0.1");
  ini.WriteString("Hosts", "tiles", "line\r\nbreak");
  ini.WriteString("Custom", "Added", "  padded  ");
  EXPECT_EQ(ini.Text(),
            "; written by hand\n"
            "[Hosts]\n"
            "tiles=line  break\n"
            "Aprs Region 1=127.0.0.1\n"
            "\n"
            "[Custom]\n"
            "Unknown Key = kept as it was \n"
            "garbage without equals\n"
            "Added=  padded  \n"
            "\n"
            "[Radio Controls]\n"
            "Freq-01=405000000\n");
  EXPECT_EQ(ini.ReadString("Custom", "Added", ""), "padded");
  EXPECT_EQ(ini.ReadString("Hosts", "Tiles", ""), "line  break");
}

TEST(IniFile, StrayLineEndsReadBackAsTheyWereWritten) {
  for (const char* text : {"\n\r\r", "[S]\r\r\nk=v\r\r\n", "a\rb\n\r", "\r\n\r\r\n"}) {
    IniFile ini;
    ini.Parse(text);
    const std::string written = ini.Text();
    IniFile again;
    again.Parse(written);
    EXPECT_EQ(again.Text(), written) << '"' << text << '"';
  }
  // A value read and written back reads the same and writes the same once more.
  for (const char* text : {"[S]\r\r\nk=v\r\r\n", "[S]\nk=\r0\n", "[S]\nk=0\r\n\r"}) {
    IniFile ini;
    ini.Parse(text);
    const std::string value = ini.ReadString("S", "k", "");
    ini.WriteString("S", "k", value);
    IniFile again;
    again.Parse(ini.Text());
    EXPECT_EQ(again.ReadString("S", "k", "x"), value) << '"' << text << '"';
    again.WriteString("S", "k", value);
    EXPECT_EQ(again.Text(), ini.Text()) << '"' << text << '"';
  }
}

class IniFileDisk : public ::testing::Test {
 protected:
  void SetUp() override {
    m_dir = fs::temp_directory_path() /
            ("windlark-ini-" + std::to_string(::getpid()) + "-" +
             ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(m_dir);
    fs::create_directories(m_dir);
  }
  void TearDown() override {
    std::error_code ec;
    fs::permissions(m_dir, fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(m_dir, ec);
  }
  // Only the file itself: a failed save must not leave its temporary file behind.
  std::size_t Entries() const {
    return static_cast<std::size_t>(std::distance(fs::directory_iterator(m_dir), {}));
  }
  IniFile Sample() const {
    IniFile ini;
    ini.WriteString("Aprs", "CallSign", std::string(100, 'X'));
    return ini;
  }
  fs::path m_dir;
};

TEST_F(IniFileDisk, LoadsSavesAndKeepsPermissionsAndLinks) {
  IniFile ini;
  EXPECT_EQ(ini.Load(m_dir / "none.ini"), IniFile::LoadStatus::Missing);
  EXPECT_EQ(ini.Load(m_dir), IniFile::LoadStatus::Unreadable);

  const fs::path real = m_dir / "real.ini";
  WriteAll(real, "[General]\r\nRel=9\r\n");
  fs::permissions(real, fs::perms::owner_read | fs::perms::owner_write);
  fs::create_symlink(real, m_dir / "link.ini");

  ASSERT_EQ(ini.Load(m_dir / "link.ini"), IniFile::LoadStatus::Loaded);
  EXPECT_EQ(ini.ReadInteger("General", "Rel", 0), 9);
  ini.WriteInteger("General", "Rel", 10);
  EXPECT_EQ(ini.Save(m_dir / "link.ini"), "");
  EXPECT_TRUE(fs::is_symlink(m_dir / "link.ini"));
  EXPECT_EQ(ReadAll(real), "[General]\r\nRel=10\r\n");
  EXPECT_EQ(fs::status(real).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write);
  EXPECT_EQ(Entries(), 2u);
}

TEST_F(IniFileDisk, AFailedWriteReportsAndLeavesThePreviousFile) {
  const fs::path path = m_dir / "windlark.ini";
  WriteAll(path, "[General]\r\nRel=10\r\n");
  std::string message;
  {
    test::FileSizeLimit limit(32);
    message = Sample().Save(path);
  }
  EXPECT_NE(message.find("Unable to save the settings to " + path.string()), std::string::npos)
      << message;
  EXPECT_NE(message.find("too large"), std::string::npos) << message;
  EXPECT_EQ(ReadAll(path), "[General]\r\nRel=10\r\n");
  EXPECT_EQ(Entries(), 1u);
}

TEST_F(IniFileDisk, AFailedRenameReportsAndCleansUp) {
  const fs::path path = m_dir / "windlark.ini";
  fs::create_directories(path / "inside");  // a folder where the file should be
  const std::string message = Sample().Save(path);
  EXPECT_NE(message.find("Unable to save the settings"), std::string::npos);
  EXPECT_TRUE(fs::is_directory(path / "inside"));
  EXPECT_EQ(Entries(), 1u);
}

TEST_F(IniFileDisk, AReadOnlyFolderReportsAndLeavesThePreviousFile) {
  if (::geteuid() == 0) GTEST_SKIP() << "root writes into read-only folders";
  const fs::path path = m_dir / "windlark.ini";
  WriteAll(path, "[General]\r\nRel=10\r\n");
  fs::permissions(m_dir, fs::perms::owner_read | fs::perms::owner_exec);
  EXPECT_NE(Sample().Save(path).find("Permission denied"), std::string::npos);
  EXPECT_EQ(ReadAll(path), "[General]\r\nRel=10\r\n");
}

}  // namespace
}  // namespace windlark
