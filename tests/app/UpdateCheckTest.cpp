#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "app/UpdateCheck.h"
#include "app/Version.h"

namespace windlark {
namespace {

TEST(UpdateCheck, VersionFilesAndWhatTheyAnnounce) {
  struct Case {
    const char* reply;
    bool silent;
    UpdateOutcome outcome;
  };
  const Case cases[] = {
      {"1.16\r\nfirst\r\nsecond\r\n", true, UpdateOutcome::NewVersion},
      {"1.16\r\n", false, UpdateOutcome::NewVersion},
      {"1.15\r\n", false, UpdateOutcome::AlreadyLatest},
      {"1.15\r\n", true, UpdateOutcome::Nothing},
      {"0.9\r\n", false, UpdateOutcome::Nothing},
      {"0.9\r\n", true, UpdateOutcome::Nothing},
      {"1.100\r\n", true, UpdateOutcome::NewVersion},  // 200 > 115
      {"2.0\r\n", true, UpdateOutcome::NewVersion},
      {"1.9\r\n", false, UpdateOutcome::AlreadyLatest},  // 109 < 115
  };
  for (const Case& c : cases) {
    const auto file = ParseVersionFile(c.reply);
    ASSERT_TRUE(file) << c.reply;
    EXPECT_EQ(DecideUpdate(1, 15, *file, c.silent), c.outcome) << c.reply << " silent " << c.silent;
  }
  const auto file = ParseVersionFile("1.16\r\nfirst\r\nsecond\r\n");
  EXPECT_EQ(file->changeLog, "first\r\nsecond\r\n");
  EXPECT_EQ(VersionNumber(1, 100), 200);
}

TEST(UpdateCheck, RepliesThatAreNoVersionFile) {
  for (const char* reply :
       {"1.16", "1.16\n", "", "\r\n", "1\r\n", "1.\r\n", ".16\r\n", "a.b\r\n", "1.16.2\r\n",
        " 1.16\r\n", "-1.16\r\n", "1.+16\r\n", "99999999999.1\r\n", "<html>404</html>\r\n"}) {
    EXPECT_FALSE(ParseVersionFile(reply)) << reply;
  }
}

TEST(UpdateCheck, Texts) {
  EXPECT_EQ(AlreadyUpdatedText(1, 15), "Software already updated to the latest release 1.15");
  EXPECT_EQ(VersionText(1, 100), "1.100");
}

// The release file the program checks against by default must announce this very release, so
// a published build never tells its users about itself.
TEST(UpdateCheck, TheProjectsReleaseFileNamesThisRelease) {
  std::ifstream in(WINDLARK_SOURCE_DIR "/release/version.txt", std::ios::binary);
  ASSERT_TRUE(in) << "release/version.txt is missing";
  std::ostringstream text;
  text << in.rdbuf();
  const auto file = ParseVersionFile(text.str());
  ASSERT_TRUE(file) << "release/version.txt must begin with major.minor and CR LF";
  EXPECT_EQ(file->major, kVersionMajor);
  EXPECT_EQ(file->minor, kVersionMinor);
}

}  // namespace
}  // namespace windlark
