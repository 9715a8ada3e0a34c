#include <gtest/gtest.h>

#include <algorithm>

#include "records/TelemetryCsv.h"

namespace windlark {
namespace {

TelemetryPoint Entry(bool gpsTime = true) {
  TelemetryPoint p;
  p.latitude = 52.1;
  p.longitude = 14.2;
  p.altitude = 1000;
  p.timestamp = "2019-06-01T12:34:56Z";
  p.frame.gpsTimeValid = gpsTime ? 1 : 0;
  p.frame.positionValid = 1;
  p.frame.numSatellites = 9;
  return p;
}

std::vector<std::string> Lines(const std::string& csv) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t end; (end = csv.find("\r\n", start)) != std::string::npos; start = end + 2) {
    lines.push_back(csv.substr(start, end - start));
  }
  return lines;
}

std::size_t Fields(const std::string& line) {
  return static_cast<std::size_t>(std::count(line.begin(), line.end(), ',')) + 1U;
}

TEST(InstrumentCsv, NoInstrumentsMeansFourteenFields) {
  const auto lines = Lines(BuildTelemetryCsv({Entry(), Entry()}));
  ASSERT_EQ(lines.size(), 3U);
  for (const auto& line : lines) EXPECT_EQ(Fields(line), 14U) << line;
  EXPECT_EQ(lines[1].substr(0, 20), "2019-06-01,12:34:56,");
}

TEST(InstrumentCsv, PresenceOverTheWholeLogAndEmptyGroups) {
  TelemetryPoint ozoneWithoutTime = Entry(false);
  ozoneWithoutTime.frame.xdata.ozonePresent = 1;
  const auto lines = Lines(BuildTelemetryCsv({Entry(), ozoneWithoutTime, Entry()}));
  ASSERT_EQ(lines.size(), 3U);  // the entry without GPS time is not written
  EXPECT_NE(lines[0].find(",O3 Pump Temp (deg),"), std::string::npos);
  for (std::size_t k = 1; k < lines.size(); ++k) {
    EXPECT_EQ(lines[k].substr(lines[k].size() - 5), ",,,,,") << lines[k];
    EXPECT_EQ(Fields(lines[k]), 19U);
  }
}

TEST(InstrumentCsv, ValuesInTheirFormats) {
  TelemetryPoint p = Entry();
  XdataRecord& x = p.frame.xdata;
  x.ozonePresent = 1;  // an identification packet only: zero values
  x.cobaldPresent = 1;
  x.cobaldSerial = 15;
  x.cobaldTemperature = -12.5;
  x.cobaldBlueSignal = -42;
  x.cobaldRedSignal = 7;
  x.cfhPresent = 1;
  x.cfhDetectorSignal = 1.234567;
  x.cfhBatteryVoltage = 3.3;
  x.skydewPresent = 1;
  x.skydewPt100Resistance = 92.345;
  x.skydewScatteredLight = 0.12345;
  const auto lines = Lines(BuildTelemetryCsv({p}));
  ASSERT_EQ(lines.size(), 2U);
  // CFH and SKYDEW both name a mirror temperature; the column order tells them apart.
  const std::string& header = lines[0];
  const auto first = header.find("Mirror Temp (deg)");
  EXPECT_NE(header.find("Mirror Temp (deg)", first + 1), std::string::npos);
  EXPECT_EQ(Fields(header), 14U + 5 + 6 + 4 + 7);
  EXPECT_EQ(Fields(lines[1]), Fields(header));
  // After the fourteen core fields, whose PTU part is empty here.
  const std::string values = lines[1].substr(lines[1].find(",,,,,") + 5);
  EXPECT_EQ(values,
            "0.00,000,0.000,0.0,0.0,"                     // OIF411
            "015,-12.50,-42,7,0,0,"                       // COBALD
            "0.00,1.23457,0.00,3.3000,"                   // CFH
            "92.34,0.00,0.1235,0.00,0.000,0.000,0.000");  // SKYDEW
}

}  // namespace
}  // namespace windlark
