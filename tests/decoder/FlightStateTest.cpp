// GPS position, flight state, home geometry, log and report gates.
#include "decoder/FlightState.h"

#include <gtest/gtest.h>

#include <cmath>

#include "decoder/DecoderRig.h"
#include "decoder/GpsDecoder.h"

namespace windlark {
namespace {

using test::DecoderRig;
using test::FrameSpec;

class RecordingHooks : public DecoderHooks {
 public:
  void UpdateSonde(std::string_view text, int climb, double, double, double) override {
    climbs.push_back(climb);
    speedTexts.emplace_back(text);
  }
  void TrackTo(int azimuth, int elevation) override { tracked.emplace_back(azimuth, elevation); }
  void PlotPoint(const TelemetryPoint&) override { ++plotted; }
  bool AprsConnected() const override { return connected; }
  void QueueObjectReport(const ObjectReport& report) override { reports.push_back(report); }
  void WritePositionOut() override { ++positionsOut; }

  std::vector<int> climbs;
  std::vector<std::string> speedTexts;
  std::vector<std::pair<int, int>> tracked;
  int plotted = 0;
  bool connected = true;
  std::vector<ObjectReport> reports;
  int positionsOut = 0;
};

// A frame at a WGS-84 position, to the centimetre.
FrameSpec At(double lat, double lon, double alt) {
  const double a = 6378137.0;
  const double e2 = 0.00669437999014116;
  const double phi = lat * 3.14159265358979323846 / 180.0;
  const double lambda = lon * 3.14159265358979323846 / 180.0;
  const double n = a / std::sqrt(1.0 - e2 * std::sin(phi) * std::sin(phi));
  FrameSpec frameSpec;
  frameSpec.ecefXcm =
      static_cast<std::int32_t>(std::lround((n + alt) * std::cos(phi) * std::cos(lambda) * 100));
  frameSpec.ecefYcm =
      static_cast<std::int32_t>(std::lround((n + alt) * std::cos(phi) * std::sin(lambda) * 100));
  frameSpec.ecefZcm =
      static_cast<std::int32_t>(std::lround(((1 - e2) * n + alt) * std::sin(phi) * 100));
  return frameSpec;
}

TEST(GpsPosition, ReadOutsInEveryUnit) {
  struct Case {
    SpeedUnit unit;
    const char* wind;
    const char* vertical;
  };
  for (const Case& c : {Case{SpeedUnit::MetresPerSecond, "10.0 m/s", "2.5 m/s"},
                        Case{SpeedUnit::KilometresPerHour, "36.0 km/h", "9.0 km/h"},
                        Case{SpeedUnit::Knots, "19.4 kts", "4.9 kts"}}) {
    DecoderRig rig;
    rig.ctx.settings.windSpeedUnit = c.unit;
    rig.ctx.settings.verticalSpeedUnit = c.unit;
    FrameSpec frameSpec;  // on the equator at 0 E: velocity x is up, y east, z north
    frameSpec.velXcm = 250;
    frameSpec.velYcm = -1000;
    rig.Decode(frameSpec);
    EXPECT_EQ(rig.view.Text(ReadOut::WindSpeed), c.wind);
    EXPECT_EQ(rig.view.Text(ReadOut::VerticalSpeed), c.vertical);
    EXPECT_EQ(rig.view.Text(ReadOut::Direction), "90 °");  // moving west: wind from the east
    EXPECT_NEAR(rig.state.heading, 270.0, 1e-9);
  }
  EXPECT_EQ(FormatSpeed(10, static_cast<SpeedUnit>(7)), "");
}

TEST(GpsPosition, SouthernWesternPositionShowsMagnitudes) {
  DecoderRig rig;
  rig.Decode(At(-34.9285, -58.5, 1234.5));
  EXPECT_EQ(rig.view.Text(ReadOut::Latitude), "34.928500 °S");
  EXPECT_EQ(rig.view.Text(ReadOut::Longitude), "58.500000 °W");
  EXPECT_EQ(rig.view.Text(ReadOut::Altitude).substr(0, 4), "1234");
  EXPECT_EQ(rig.view.Text(ReadOut::SatsUsed), "8");
  EXPECT_EQ(rig.view.Text(ReadOut::SpeedAccuracy), "0.3");
  EXPECT_EQ(rig.view.Text(ReadOut::Pdop), "1.5");
}

TEST(GpsPosition, NoSatellitesLogsTheEntryButMovesNothing) {
  RecordingHooks hooks;
  DecoderRig rig(&hooks);
  FrameSpec frameSpec = At(50, 10, 1000);
  frameSpec.sats = 0;
  rig.Decode(frameSpec);
  EXPECT_EQ(rig.view.Text(ReadOut::SatsUsed), "0");
  EXPECT_EQ(rig.view.Text(ReadOut::Latitude), "");
  EXPECT_TRUE(hooks.climbs.empty());
  EXPECT_EQ(rig.state.maxAltitude, -1000);
  ASSERT_EQ(rig.log.Count(), 1U);
  EXPECT_EQ(rig.log.Last()->frame.positionValid, 0);
  EXPECT_NEAR(rig.log.Last()->latitude, 50, 1e-5);  // stored all the same
  EXPECT_EQ(hooks.positionsOut, 0);
}

TEST(FlightState, ClimbIndicatorTrackCountAndMaxima) {
  RecordingHooks hooks;
  DecoderRig rig(&hooks);
  // The indicator compares with the altitude two updates back.
  for (double alt : {1000.0, 1005.0, 1010.0, 1008.0, 1003.0}) rig.Decode(At(50, 10, alt));
  EXPECT_EQ(hooks.climbs, (std::vector<int>{0, 0, 1, 1, -1}));
  EXPECT_EQ(rig.log.Count(), 5U);
  // The count is shown before the frame's own entry is appended.
  EXPECT_EQ(rig.view.Text(ReadOut::TrackPoints), "4");
  EXPECT_NEAR(rig.state.maxAltitude, 1010, 0.5);
  EXPECT_EQ(rig.view.StatusPanel(1, 3).rfind("Max Altitude: 10", 0), 0U);
  EXPECT_EQ(hooks.plotted, 5);
  EXPECT_EQ(hooks.tracked.size(), 5U);
}

TEST(FlightState, MaxWindNeedsGoodSpeedAccuracy) {
  DecoderRig rig;
  FrameSpec slow = At(0, 0, 0);
  slow.velYcm = 1000;  // 10 m/s east
  rig.Decode(slow);
  EXPECT_EQ(rig.view.StatusPanel(1, 4), "Max Wind: 10.0 m/s @0.0m from 270°");
  FrameSpec fast = slow;
  fast.velYcm = 2500;
  fast.speedAccuracy = 12;  // 1.2 m/s
  rig.Decode(fast);
  EXPECT_EQ(rig.state.maxWindSpeed, 10.0);
  fast.speedAccuracy = 9;
  rig.Decode(fast);
  EXPECT_EQ(rig.state.maxWindSpeed, 25.0);
}

TEST(FlightState, HomeGeometryReadOutsFollowTheLocale) {
  RecordingHooks hooks;
  DecoderRig rig(&hooks);
  SetHomePosition(rig.ctx.home, 0, 0, 0);
  rig.ctx.settings.localeDecimalSeparator = ',';
  // 10.5 km north on the ground and 9.5 km north.
  const double degPerKm = 180.0 / (3.14159265358979 * 6371.0);
  rig.Decode(At(10.5 * degPerKm, 0, 0));
  EXPECT_EQ(rig.view.Text(ReadOut::Range), "10,500 km");
  EXPECT_EQ(rig.view.Text(ReadOut::Bearing), "0,0°");
  rig.Decode(At(9.5 * degPerKm, 0, 0));
  EXPECT_EQ(rig.view.Text(ReadOut::Range), "9500 m");
  EXPECT_EQ(hooks.tracked.back().first, 0);

  // A slant range of exactly 10 000 m straight up.
  rig.Decode(At(0, 0, 10000));
  EXPECT_EQ(rig.view.Text(ReadOut::SlantRange), "10,000 km");
  EXPECT_EQ(rig.view.Text(ReadOut::Elevation), "90,0°");
}

TEST(FlightState, ReportsWaitForCalibrationAndGoodFixes) {
  RecordingHooks hooks;
  DecoderRig rig(&hooks);
  FrameSpec frameSpec = At(50, 10, 1000);
  for (int k = 0; k < 50; ++k) {
    frameSpec.fragmentIndex = static_cast<std::uint8_t>(k);
    rig.Decode(frameSpec);
    EXPECT_TRUE(hooks.reports.empty()) << "before calibration is complete, frame " << k;
  }
  EXPECT_EQ(hooks.positionsOut, 50);
  frameSpec.fragmentIndex = 50;  // the last fragment completes the calibration in this frame
  rig.Decode(frameSpec);
  ASSERT_EQ(hooks.reports.size(), 1U);
  EXPECT_EQ(hooks.reports[0].sondeId, "T1234567");
  EXPECT_NEAR(hooks.reports[0].latitude, 50, 1e-5);
  frameSpec.speedAccuracy = 10;  // 1.0 m/s is not good enough
  rig.Decode(frameSpec);
  EXPECT_EQ(hooks.reports.size(), 1U);
  EXPECT_EQ(hooks.positionsOut, 51);
  hooks.connected = false;
  frameSpec.speedAccuracy = 3;
  rig.Decode(frameSpec);
  EXPECT_EQ(hooks.reports.size(), 1U);
  EXPECT_EQ(hooks.positionsOut, 52);
}

TEST(FlightState, NewSondeEmptiesTheLogAndRestartsTheMaxima) {
  DecoderRig rig;
  rig.Decode(At(50, 10, 5000));
  rig.Decode(At(50, 10, 5100));
  FrameSpec other = At(50, 10, 300);
  other.sondeId = "S4610487";
  rig.Decode(other);
  EXPECT_EQ(rig.log.Count(), 1U);
  EXPECT_NEAR(rig.state.maxAltitude, 300, 0.5);
}

}  // namespace
}  // namespace windlark
