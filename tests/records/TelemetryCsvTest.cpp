#include "records/TelemetryCsv.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <sstream>

#include "records/RecordsRig.h"

namespace windlark {
namespace {

using test::SampleFlight;

constexpr std::string_view kHeader =
    "Date,Time,Latitude,Longitude,Altitude,Battery Voltage (V),Sats used,Wind Speed (m/s),"
    "Wind Dir (deg),Vertical Speed (m/s),Temperature(deg),Pressure (hPa),Humidity (%),"
    "Dew point (deg)\r\n";

TEST(TelemetryCsv, WritesTheSampleFlightExactly) {
  // Not written: the entry without satellites and the one without GPS time.
  const std::string want = std::string(kHeader) +
                           "2019-06-01,12:34:56,-45.500000,7.250000,1234.6,2.9,8,10.3,270,5.0,"
                           "-12.3,850.1,45.3,-20.0\r\n"
                           // Humidity 0: temperature and pressure only.
                           "2019-06-01,12:34:58,46.123457,-0.500000,0.0,0.0,5,0.0,360,-0.4,"
                           "3.1,1013.3,,\r\n"
                           // No PTU: four empty fields.
                           "2019-06-01,12:35:00,52.200000,14.100000,30000.0,2.7,12,0.0,0,0.0,"
                           ",,,\r\n";
  EXPECT_EQ(BuildTelemetryCsv(SampleFlight()), want);
}

TEST(TelemetryCsv, EveryLineHasTheHeadersFieldCountWithoutInstruments) {
  const std::string text = BuildTelemetryCsv(SampleFlight());
  std::istringstream lines(text);
  std::string line;
  int count = 0;
  while (std::getline(lines, line)) {
    EXPECT_EQ(std::count(line.begin(), line.end(), ','), 13) << line;
    ++count;
  }
  EXPECT_EQ(count, 4);
}

TEST(TelemetryCsv, ShortOrMissingTimeTextGivesEmptyDateAndTime) {
  TelemetrySnapshot points{test::MakePoint(1, 2, 3, 4, "2019-06-01")};
  points.push_back(test::MakePoint(1, 2, 3, 4, ""));
  const std::string text = BuildTelemetryCsv(points);
  EXPECT_NE(text.find("\r\n2019-06-01,,1.000000"), std::string::npos) << text;
  EXPECT_NE(text.find("\r\n,,1.000000"), std::string::npos) << text;
}

// Two stand-in instrument groups keyed on core fields, to show how a group takes part: present
// when any entry of the log has it (written or not), empty fields where a line's entry lacks it,
// no columns at all when no entry has it.
bool HeavyBattery(const FrameRecord& frame) {
  return frame.batteryVoltage > 5;
}
void AppendTwo(const FrameRecord& frame, std::string& line) {
  line += ",B" + std::to_string(static_cast<int>(frame.batteryVoltage)) + ",x";
}
bool NeverThere(const FrameRecord&) {
  return false;
}
void AppendNothing(const FrameRecord&, std::string& line) {
  line += ",never";
}

TEST(TelemetryCsv, InstrumentGroupsPlugInWithTheirPresenceRules) {
  const std::array groups = {
      CsvColumnGroup{",Absent A", 1, &NeverThere, &AppendNothing},
      CsvColumnGroup{",Heavy A,Heavy B", 2, &HeavyBattery, &AppendTwo},
  };
  TelemetrySnapshot points = SampleFlight();
  std::string text = BuildTelemetryCsv(points, groups);
  EXPECT_EQ(text.find("Absent"), std::string::npos);
  EXPECT_EQ(text.find("Heavy"), std::string::npos);

  // Heard only in the entry without GPS time, which is not written: columns, all empty.
  points[3].frame.batteryVoltage = 9;
  text = BuildTelemetryCsv(points, groups);
  EXPECT_NE(text.find("Dew point (deg),Heavy A,Heavy B\r\n"), std::string::npos);
  EXPECT_NE(text.find(",-20.0,,\r\n"), std::string::npos) << text;
  EXPECT_EQ(text.find("B9"), std::string::npos);

  points[0].frame.batteryVoltage = 7;
  text = BuildTelemetryCsv(points, groups);
  EXPECT_NE(text.find(",7.0,8,10.3,270,5.0,-12.3,850.1,45.3,-20.0,B7,x\r\n"), std::string::npos)
      << text;
  EXPECT_NE(text.find(",3.1,1013.3,,,,\r\n"), std::string::npos) << text;
}

TEST(TelemetryCsv, SavedFileAndReport) {
  const test::TempFolder folder;
  const ExportOutcome outcome = SaveTelemetryCsv(SampleFlight(), folder / "t.csv");
  ASSERT_TRUE(outcome.ok) << outcome.message;
  EXPECT_EQ(outcome.message, "Radiosonde Telemetry saved");
  EXPECT_EQ(test::ReadAll(folder / "t.csv"), BuildTelemetryCsv(SampleFlight()));
}

}  // namespace
}  // namespace windlark
