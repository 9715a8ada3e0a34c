#include "map/TileStore.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <iterator>

#include "records/RecordsRig.h"

namespace windlark {
namespace {

using test::TempFolder;

std::string Read(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

int Files(const std::filesystem::path& dir) {
  int n = 0;
  for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir)) ++n;
  return n;
}

TEST(TileStore, WritesOnceAndNeverOverAnExistingTile) {
  TempFolder dir;
  const auto file = dir / "t01/12/2170/1478.png";
  EXPECT_EQ(WriteTileFile(file, "first", false), TileWrite::Written);
  EXPECT_EQ(WriteTileFile(file, "second", false), TileWrite::Exists);
  EXPECT_EQ(Read(file), "first");
  // The downloader's "Overwrite old tiles" replaces it whole.
  EXPECT_EQ(WriteTileFile(file, "third", true), TileWrite::Written);
  EXPECT_EQ(Read(file), "third");
  // No temporary file is left beside the tile.
  EXPECT_EQ(Files(file.parent_path()), 1);
}

TEST(TileStore, AFolderThatCannotBeWrittenStoresNothing) {
  if (::geteuid() == 0) GTEST_SKIP() << "root writes into read-only folders";
  TempFolder dir;
  ASSERT_EQ(::chmod(dir.Path().c_str(), 0500), 0);
  EXPECT_EQ(WriteTileFile(dir / "t01/3/1/1.png", "x", false), TileWrite::Failed);
  ::chmod(dir.Path().c_str(), 0700);
}

TEST(TileStore, AFileInPlaceOfAFolderFails) {
  TempFolder dir;
  std::ofstream(dir / "t01") << "not a folder";
  EXPECT_EQ(WriteTileFile(dir / "t01/3/1/1.png", "x", false), TileWrite::Failed);
  EXPECT_EQ(Files(dir.Path()), 1);
}

}  // namespace
}  // namespace windlark
