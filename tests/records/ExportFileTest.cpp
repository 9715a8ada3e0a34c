#include "records/ExportFile.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>

#include "records/RecordsRig.h"
#include "records/TelemetryCsv.h"
#include "records/TrackExport.h"

namespace windlark {
namespace {

using test::ReadAll;
using test::TempFolder;
namespace fs = std::filesystem;

TEST(ExportFile, ReplacesAnExistingFileKeepingItsRights) {
  const TempFolder folder;
  const auto file = folder / "track.gpx";
  test::WriteAll(file, "old content that is longer than the new one");
  fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);

  const FileWriteResult result = WriteFileAtomically(file, "new");
  ASSERT_TRUE(result.ok) << result.error;
  EXPECT_EQ(ReadAll(file), "new");
  EXPECT_EQ(fs::status(file).permissions(),
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  EXPECT_EQ(folder.EntryCount(), 1);  // no temporary file left behind
}

TEST(ExportFile, WritesThroughALinkToTheFileItNames) {
  const TempFolder folder;
  test::WriteAll(folder / "real.csv", "old");
  fs::create_symlink(folder / "real.csv", folder / "link.csv");
  ASSERT_TRUE(WriteFileAtomically(folder / "link.csv", "new").ok);
  EXPECT_TRUE(fs::is_symlink(folder / "link.csv"));
  EXPECT_EQ(ReadAll(folder / "real.csv"), "new");
}

TEST(ExportFile, FailuresAreReportedAndLeaveNothingBehind) {
  const TempFolder folder;
  fs::create_directory(folder / "taken.kml");
  test::WriteAll(folder / "taken.kml" / "inside", "keep");

  const ExportData data{test::SampleFlight(), "S1", "t"};
  struct Case {
    fs::path target;
    std::string reason;
  };
  const Case cases[] = {
      {folder / "taken.kml", "Is a directory"},
      {folder / "missing" / "track.kml", "No such file or directory"},
  };
  for (const auto& c : cases) {
    const ExportOutcome track = SaveTrackFile(data, ExportKind::Kml, c.target);
    EXPECT_FALSE(track.ok);
    EXPECT_EQ(track.message.rfind("Unable to save GPS track file.\r", 0), 0u) << track.message;
    EXPECT_NE(track.message.find(c.reason), std::string::npos) << track.message;

    const ExportOutcome csv = SaveTelemetryCsv(data.points, c.target);
    EXPECT_FALSE(csv.ok);
    EXPECT_EQ(csv.message.rfind("Unable to Export Radiosonde Telemetry.\r", 0), 0u) << csv.message;
  }
  EXPECT_EQ(ReadAll(folder / "taken.kml" / "inside"), "keep");
  EXPECT_EQ(folder.EntryCount(), 1);
}

// A write that fails half-way (here: the file size limit, as a full disk would) keeps the old
// file whole under its name.
TEST(ExportFile, AFailedWriteKeepsTheOldFile) {
  const TempFolder folder;
  const auto file = folder / "telemetry.csv";
  test::WriteAll(file, "old");

  rlimit saved{};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
  const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
  rlimit small = saved;
  small.rlim_cur = 1000;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  const FileWriteResult result = WriteFileAtomically(file, std::string(100000, 'x'));
  ::setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, previousHandler);

  EXPECT_FALSE(result.ok);
  EXPECT_NE(result.error.find("File too large"), std::string::npos) << result.error;
  EXPECT_EQ(ReadAll(file), "old");
  EXPECT_EQ(folder.EntryCount(), 1);
}

}  // namespace
}  // namespace windlark
