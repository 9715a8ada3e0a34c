#include "decoder/TelemetryLog.h"

#include <gtest/gtest.h>

#include <thread>

#include "records/TelemetryCsv.h"

namespace windlark {
namespace {

TelemetryPoint Point(double altitude) {
  TelemetryPoint p;
  p.latitude = 50;
  p.longitude = 10;
  p.altitude = altitude;
  p.timestamp = "2024-10-18T00:44:52Z";
  p.frame.positionValid = 1;
  p.frame.numSatellites = 8;
  return p;
}

TEST(TelemetryLog, SnapshotSurvivesANewSondeReset) {
  TelemetryLog log;
  for (int k = 0; k < 3; ++k) log.Append(Point(1000 + k));
  const TelemetrySnapshot snapshot = log.Snapshot();
  log.Clear();
  log.Append(Point(5));
  ASSERT_EQ(snapshot.size(), 3U);
  EXPECT_EQ(snapshot[2].altitude, 1002);
  EXPECT_EQ(log.Count(), 1U);
  EXPECT_EQ(log.Last()->altitude, 5);
}

// An export on its own thread while the decoding thread appends and resets the live log.
TEST(TelemetryLog, ExportWhileTheLogIsResetIsUnharmed) {
  TelemetryLog log;
  for (int k = 0; k < 2000; ++k) log.Append(Point(k));
  const TelemetrySnapshot snapshot = log.Snapshot();
  const std::string expected = BuildTelemetryCsv(snapshot);
  std::string written;
  std::thread exporter([&] { written = BuildTelemetryCsv(snapshot); });
  for (int round = 0; round < 50; ++round) {
    log.Clear();
    for (int k = 0; k < 100; ++k) log.Append(Point(-k));
  }
  exporter.join();
  EXPECT_EQ(written, expected);
  EXPECT_EQ(log.Count(), 100U);
}

}  // namespace
}  // namespace windlark
