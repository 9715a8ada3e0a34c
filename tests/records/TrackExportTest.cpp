#include "records/TrackExport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <vector>

#include "records/GhostTrack.h"
#include "records/RecordsRig.h"

namespace windlark {
namespace {

using test::SampleFlight;
using test::TempFolder;

ExportData Sample() {
  return {SampleFlight(), "S1234567", "2019-06-01-14"};
}

constexpr std::string_view kSampleKml =
    "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
    "<kml xmlns=\"http://earth.google.com/kml/2.1\">\n"
    "  <Document>\n"
    "    <name>Radiosonde S1234567 - 2019-06-01-14</name>\n"
    "    <Style id=\"track\">\n"
    "      <LineStyle>\n"
    "        <color>ff00ffff</color>\n"
    "        <width>2</width>\n"
    "      </LineStyle>\n"
    "      <PolyStyle>\n"
    "        <color>3c00ffff</color>\n"
    "        <outline>0</outline>\n"
    "      </PolyStyle>\n"
    "    </Style>\n"
    "    <Placemark>\n"
    "      <name>Flight Path</name>\n"
    "      <styleUrl>#track</styleUrl>\n"
    "      <LineString>\n"
    "        <tessellate>1</tessellate>\n"
    "        <extrude>1</extrude>\n"
    "        <altitudeMode>absolute</altitudeMode>\n"
    "        <coordinates>\r7.250000,-45.500000,1234.6 \r-0.500000,46.123457,0.0 \r"
    "180.000000,0.000000,-12.3 \r14.100000,52.200000,30000.0 \r</coordinates>\n"
    "      </LineString>\n"
    "    </Placemark>\n"
    "  </Document>\n"
    "</kml>\n";

constexpr std::string_view kSampleGpx =
    "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
    "<gpx version=\"1.1\" xmlns=\"http://www.topografix.com/GPX/1/1\" creator=\"Windlark\" "
    "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" "
    "xsi:schemaLocation=\"http://www.topografix.com/GPX/1/1 "
    "http://www.topografix.com/GPX/1/1/gpx.xsd\">\n"
    "  <metadata>\n"
    "    <link href=\"https://windlark.example.org/\" />\n"
    "  </metadata>\n"
    "  <trk>\n"
    "    <name>Radiosonde S1234567 - 2019-06-01-14</name>\n"
    "    <trkseg>\n"
    "      <trkpt lat=\"-45.500000\" lon=\"7.250000\">\n"
    "        <ele>1234.6</ele>\n"
    "        <time>2019-06-01T12:34:56Z</time>\n"
    "      </trkpt>\n"
    "      <trkpt lat=\"46.123457\" lon=\"-0.500000\">\n"
    "        <ele>0.0</ele>\n"
    "        <time>2019-06-01T12:34:58Z</time>\n"
    "      </trkpt>\n"
    "      <trkpt lat=\"0.000000\" lon=\"180.000000\">\n"
    "        <ele>-12.3</ele>\n"
    "        <time>2019-06-01T12:34:58Z</time>\n"
    "      </trkpt>\n"
    "      <trkpt lat=\"52.200000\" lon=\"14.100000\">\n"
    "        <ele>30000.0</ele>\n"
    "        <time>2019-06-01T12:35:00Z</time>\n"
    "      </trkpt>\n"
    "    </trkseg>\n"
    "  </trk>\n"
    "</gpx>\n";

TEST(TrackExport, WritesTheSampleFlightExactly) {
  EXPECT_EQ(BuildKml(Sample()), kSampleKml);
  EXPECT_EQ(BuildGpx(Sample()), kSampleGpx);
}

TEST(TrackExport, EntriesWithoutSatellitesGiveAnEmptyTrackThatIsStillSaved) {
  ExportData data{{test::MakePoint(1, 2, 3, 0, "2019-06-01T12:00:00Z")}, "S1", "2019-06-01-12"};
  const std::string kml = BuildKml(data);
  EXPECT_NE(kml.find("<coordinates>\r</coordinates>"), std::string::npos) << kml;
  EXPECT_NE(BuildGpx(data).find("<trkseg />"), std::string::npos);

  const TempFolder folder;
  for (const ExportKind kind : {ExportKind::Kml, ExportKind::Gpx}) {
    const ExportOutcome outcome = SaveTrackFile(data, kind, folder / "empty.xml");
    EXPECT_TRUE(outcome.ok);
    EXPECT_EQ(outcome.message, "GPS track file saved");
  }
}

TEST(TrackExport, AnEmptyLogWritesNoFile) {
  const TempFolder folder;
  const ExportData empty{{}, "S1", "x"};
  for (const ExportKind kind : {ExportKind::Kml, ExportKind::Gpx, ExportKind::Csv}) {
    const ExportOutcome outcome = RunExport(empty, kind, folder / "none");
    EXPECT_FALSE(outcome.ok);
    EXPECT_EQ(outcome.message, kind == ExportKind::Csv
                                   ? "Unable to Export Radiosonde Telemetry.\rNo points to save"
                                   : "Unable to save GPS track file.\rNo points to save");
  }
  EXPECT_EQ(folder.EntryCount(), 0);
}

TEST(TrackExport, KindDecidesTheFormatWhateverTheExtension) {
  const TempFolder folder;
  const auto file = folder / "track.kml";
  ASSERT_TRUE(RunExport(Sample(), ExportKind::Gpx, file).ok);
  EXPECT_EQ(test::ReadAll(file), kSampleGpx);
}

TEST(TrackExport, NamesKeepTheDocumentReadableAndTheFileInItsFolder) {
  EXPECT_EQ(TrackDocumentName("S12<\x01\xff", "2019"), "Radiosonde S12<?? - 2019");
  EXPECT_NE(BuildKml({{}, "A&<\x02", "t"}).find("<name>Radiosonde A&amp;&lt;? - t</name>"),
            std::string::npos);
  EXPECT_EQ(DefaultExportFileName("S1/../x", "2019-06-01-14"), "Radiosonde_S1_.._x_2019-06-01-14");
}

TEST(TrackExport, NonFinitePositionsAreNotWritten) {
  ExportData data = Sample();
  data.points[0].latitude = std::numeric_limits<double>::quiet_NaN();
  data.points[2].altitude = std::numeric_limits<double>::infinity();
  const std::string kml = BuildKml(data);
  EXPECT_NE(kml.find("<coordinates>\r180.000000,0.000000,-12.3 \r14.100000,52.200000,30000.0 \r<"),
            std::string::npos);
  EXPECT_EQ(kml.find("nan"), std::string::npos);
  EXPECT_EQ(kml.find("inf"), std::string::npos);
}

TEST(TrackExport, ProgressCountsEveryEntryAndReachesTheEnd) {
  std::vector<int> seen;
  const ExportProgress record = [&](int percent) { seen.push_back(percent); };
  BuildKml(Sample(), record);
  EXPECT_EQ(seen, (std::vector<int>{20, 40, 60, 80, 100}));

  ExportData many = Sample();
  for (int i = 0; i < 1000; ++i) many.points.push_back(many.points[0]);
  seen.clear();
  BuildGpx(many, record);
  ASSERT_EQ(seen.size(), 101u);  // once per percent, not once per entry
  EXPECT_EQ(seen.front(), 0);
  EXPECT_EQ(seen.back(), 100);
  EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
}

TEST(TrackExport, TheKmlReadsBackAsAGhostTrack) {
  const GhostTrackLoad load = ParseGhostTrackKml(BuildKml(Sample()));
  ASSERT_TRUE(load.ok) << load.message;
  EXPECT_EQ(load.message, "Ghost track \"Radiosonde S1234567 - 2019-06-01-14\" loaded");
  ASSERT_EQ(load.track.Points().size(), 4u);
  const MapPoint first = Project(-45.5, 7.25);
  EXPECT_DOUBLE_EQ(load.track.Points()[0].mapX, first.x);
  EXPECT_DOUBLE_EQ(load.track.Points()[0].mapY, first.y);
}

// Runs gpsbabel on a written file and returns its point list as CSV, or nothing without it.
std::string Gpsbabel(const std::string& format, const std::filesystem::path& file) {
  const std::string command =
      "gpsbabel -t -i " + format + " -f '" + file.string() + "' -o unicsv -F - 2>&1";
  std::FILE* pipe = ::popen(command.c_str(), "r");
  if (pipe == nullptr) return {};
  std::string out;
  std::array<char, 4096> buffer{};
  std::size_t got = 0;
  while ((got = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0)
    out.append(buffer.data(), got);
  const int status = ::pclose(pipe);
  return status == 0 ? out : "gpsbabel failed: " + out;
}

TEST(TrackExport, GpsbabelReadsBothFormats) {
  if (std::system("command -v gpsbabel >/dev/null 2>&1") != 0) {
    GTEST_SKIP() << "gpsbabel is not installed (scripts/deps installs it)";
  }
  const TempFolder folder;
  ASSERT_TRUE(SaveTrackFile(Sample(), ExportKind::Kml, folder / "flight.kml").ok);
  ASSERT_TRUE(SaveTrackFile(Sample(), ExportKind::Gpx, folder / "flight.gpx").ok);

  EXPECT_EQ(Gpsbabel("kml", folder / "flight.kml"),
            "No,Latitude,Longitude,Altitude\r\n"
            "1,-45.500000,7.250000,1234.6\r\n"
            "2,46.123457,-0.500000,0.0\r\n"
            "3,0.000000,180.000000,-12.3\r\n"
            "4,52.200000,14.100000,30000.0\r\n");
  EXPECT_EQ(Gpsbabel("gpx", folder / "flight.gpx"),
            "No,Latitude,Longitude,Altitude,Date,Time\r\n"
            "1,-45.500000,7.250000,1234.6,2019/06/01,12:34:56\r\n"
            "2,46.123457,-0.500000,0.0,2019/06/01,12:34:58\r\n"
            "3,0.000000,180.000000,-12.3,2019/06/01,12:34:58\r\n"
            "4,52.200000,14.100000,30000.0,2019/06/01,12:35:00\r\n");
}

}  // namespace
}  // namespace windlark
