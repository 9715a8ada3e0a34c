#include "records/GhostTrack.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cmath>

#include "base/Projection.h"
#include "records/RecordsRig.h"

namespace windlark {
namespace {

using test::TempFolder;

std::string Kml(const std::string& body) {
  return "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<kml "
         "xmlns=\"http://earth.google.com/kml/2.1\">"
         "<Document><name>Earlier flight</name>" +
         body + "</Document></kml>";
}

std::string Line(const std::string& coordinates) {
  return "<Placemark><LineString><coordinates>" + coordinates +
         "</coordinates></LineString></Placemark>";
}

TEST(GhostTrack, SplitsCoordinateItems) {
  using Items = std::vector<std::string>;
  struct Case {
    std::string text;
    Items want;
  };
  const Case cases[] = {
      {"7.1,45.0,500 7.2,45.1,600", {"7.1", "45.0", "500", "7.2", "45.1", "600"}},
      {"\r\n\t 7.1 ,\t45.0 , 500 \r\n", {"7.1", "45.0", "500"}},
      {"1,,2", {"1", "", "2"}},
      {",1", {"", "1"}},
      {"1, 2,", {"1", "2", ""}},
      {"1   2", {"1", "2"}},
      {"\"7.1\",\"4 5\"\"x\",\"open", {"7.1", "4 5\"x", "open"}},
      {"\"a\"b c", {"a", "b", "c"}},
      {"   ", {}},
      {"", {}},
  };
  for (const auto& c : cases) EXPECT_EQ(SplitCoordinateItems(c.text), c.want) << c.text;
}

TEST(GhostTrack, LoadsTheFirstLineStringInDocumentOrder) {
  const std::string kml = Kml(
      "<Folder><Placemark><name>deep</name><MultiGeometry><linestring><coordinates>"
      "7.1,45.0,500 7.2,45.1,600</coordinates></linestring></MultiGeometry></Placemark></Folder>" +
      Line("1,2,3"));
  const GhostTrackLoad load = ParseGhostTrackKml(kml);
  ASSERT_TRUE(load.ok) << load.message;
  EXPECT_EQ(load.message, "Ghost track \"Earlier flight\" loaded");
  ASSERT_EQ(load.track.Points().size(), 2u);
  const MapPoint second = Project(45.1, 7.2);
  EXPECT_DOUBLE_EQ(load.track.Points()[1].mapX, second.x);
  EXPECT_DOUBLE_EQ(load.track.Points()[1].mapY, second.y);
}

TEST(GhostTrack, AcceptedFiles) {
  struct Case {
    std::string kml;
    std::size_t points;
    std::string message;
  };
  const Case cases[] = {
      // Any root name; text split over CDATA and entities still counts.
      {"<x><Document><name>a&amp;b\nc</name><LineString><coordinates>7.1,45<![CDATA[.0,5]]>00"
       "</coordinates></LineString></Document></x>",
       1, "Ghost track \"a&b c\" loaded"},
      {Kml("<LineString/>"), 0, "Ghost track \"Earlier flight\" loaded"},
      {"<kml><Document><LineString><coordinates>+1,-2.5e1,1E3</coordinates></LineString>"
       "</Document></kml>",
       1, "Ghost track \"\" loaded"},
      {Kml(Line("-180,-90,0 180,90,0")), 2, "Ghost track \"Earlier flight\" loaded"},
  };
  for (const auto& c : cases) {
    const GhostTrackLoad load = ParseGhostTrackKml(c.kml);
    EXPECT_TRUE(load.ok) << c.kml;
    EXPECT_EQ(load.track.Points().size(), c.points) << c.kml;
    EXPECT_EQ(load.message, c.message);
    for (const GhostPoint& point : load.track.Points()) {
      EXPECT_TRUE(std::isfinite(point.mapX) && std::isfinite(point.mapY)) << c.kml;
    }
  }
}

TEST(GhostTrack, RejectedFilesAllGiveTheSameMessage) {
  constexpr char kBinary[] = {'\x89', 'P', 'N', 'G', '\r', '\n', '\x1a', '\0', '\0', '<', '\xff'};
  const std::string rejected[] = {
      Kml(Line("7.1,45.0 7.2,45.1")),  // four items
      Kml(Line("7.1,45.0,500,")),      // empty fourth item
      Kml(Line("7,1,45,0,500")),       // decimal commas: five items
      Kml(Line("7.1,45.0,abc")),       // not a number
      Kml(Line("7.1,45.0,nan")),
      Kml(Line("7.1,45.0,inf")),    // not a finite number
      Kml(Line("7.1,45.0,1e999")),  // out of range
      Kml(Line("0x10,45.0,1")),     // hexadecimal
      Kml(Line("7.1,95.0,1")),
      Kml(Line("190,45,1")),  // not on the earth
      Kml("<Placemark><Point><coordinates>7,45,0</coordinates></Point></Placemark>"),
      "<kml><LineString><coordinates>7,45,0</coordinates></LineString></kml>",  // no Document
      "<kml><document><LineString><coordinates>7,45,0</coordinates></LineString></document></kml>",
      "<kml><Document><LineString>",  // not well-formed
      "",
      std::string(kBinary, sizeof kBinary),
  };
  for (const auto& kml : rejected) {
    const GhostTrackLoad load = ParseGhostTrackKml(kml);
    EXPECT_FALSE(load.ok) << kml;
    EXPECT_TRUE(load.track.Empty()) << kml;
    EXPECT_EQ(load.message, "Invalid or unsupported kml file") << kml;
  }
}

TEST(GhostTrack, DeepNestingNeitherCrashesNorIsMissed) {
  constexpr int kDepth = 200000;
  std::string kml = "<kml><Document>";
  for (int i = 0; i < kDepth; ++i) kml += "<f>";
  kml += "<LINESTRING><coordinates>7,45,0</coordinates></LINESTRING>";
  for (int i = 0; i < kDepth; ++i) kml += "</f>";
  kml += "</Document></kml>";
  const GhostTrackLoad load = ParseGhostTrackKml(kml);
  EXPECT_TRUE(load.ok);
  EXPECT_EQ(load.track.Points().size(), 1u);
}

TEST(GhostTrack, FilesThatAreNotReadableKmlAreRejected) {
  const TempFolder folder;
  test::WriteAll(folder / "good.kml", Kml(Line("7.1,45.0,500")));
  test::WriteAll(folder / "junk.kml", std::string(100000, '\xa5'));
  test::WriteAll(folder / "huge.kml",
                 Kml(std::string(kGhostTrackMaxFileBytes, ' ') + Line("7.1,45.0,500")));
  ASSERT_EQ(::mkfifo((folder / "pipe.kml").c_str(), 0600), 0);

  EXPECT_TRUE(LoadGhostTrackFile(folder / "good.kml").ok);
  for (const char* name : {"junk.kml", "huge.kml", "pipe.kml", "missing.kml", "."}) {
    const GhostTrackLoad load = LoadGhostTrackFile(folder / name);
    EXPECT_FALSE(load.ok) << name;
    EXPECT_EQ(load.message, "Invalid or unsupported kml file") << name;
  }
}

TEST(GhostTrack, ClearingEmptiesTheTrack) {
  GhostTrack track;
  track.AddGhostPoint(45, 7);
  EXPECT_FALSE(track.Empty());
  track.ClearGhostTrack();
  EXPECT_TRUE(track.Empty());
  EXPECT_EQ(kGhostTrackClearedText, "Ghost track cleared");
}

}  // namespace
}  // namespace windlark
