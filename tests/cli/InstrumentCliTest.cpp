// Instruments on the XDATA port, from synthesized audio to JSON and the telemetry CSV.
#include <gtest/gtest.h>

#include <fstream>

#include "cli/CliRunner.h"

namespace windlark {
namespace {

const std::string kCli = WINDLARK_CLI;
const std::string kSim = RS41SIM;

// One packet of each kind on chain positions 3, 1, 5 and 2.
const char* const kOif411 = "05038001186A01D06432";
const char* const kCfh = "08017B9E2B80000000000200";
const char* const kCobald = "19050FFF38FFFFFF80000080000001";
const char* const kSkydew = "3F02900040009000100000008080C800000007";

class InstrumentCli : public test::ScratchDirTest {};

TEST_F(InstrumentCli, EveryKindDecodesAndReachesTheCsv) {
  const std::string wav = Path("aux.wav").string();
  const auto sim = Run(kSim + " --frames 4 --xdata " + kOif411 + " --xdata " + kCfh + " --xdata " +
                       kCobald + " --xdata " + kSkydew + " -o " + wav);
  ASSERT_EQ(sim.exitCode, 0) << sim.err;
  std::filesystem::create_directories(Path("raw"));
  const auto r = Run(kCli + " decode --raw-dir " + Path("raw").string() + " " + wav);
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const auto lines = test::Lines(r.out);
  ASSERT_EQ(lines.size(), 4U);
  const std::string& frame = lines[0];
  const std::string aux = std::string(kOif411) + "#" + kCfh + "#" + kCobald + "#" + kSkydew;
  EXPECT_NE(frame.find("\"aux\":\"" + aux + "\""), std::string::npos) << frame;
  for (
      const char* expected :
      {R"("oif411":{"pump_temp":-0.01,"pump_current":100,"o3_current":10.000,"batt":2.9,"ext_voltage":5.0})",
       R"("cfh":{"mirror_temp":-48.25,"detector_signal":2.50000,"optics_temp":53.23,"batt":15.0000})",
       R"("cobald":{"serial":255,"temp":-25.00,"blue_signal":-1,"red_signal":-8388608,"blue_monitor":-32768,"red_monitor":1})",
       R"("skydew":{"pt100":0.00,"mirror_temp":0.00,"scattered_light":1.0240,"peltier_current":-3.00,"heat_sink_temp":19.489,"board_temp":34.507,"batt":5.000})",
       R"("xdata":[true,true,true,true])"}) {
    EXPECT_NE(frame.find(expected), std::string::npos) << expected << "\n" << frame;
  }

  std::string raw;
  for (const auto& entry : std::filesystem::directory_iterator(Path("raw")))
    raw = entry.path().string();
  const auto exported = Run(kCli + " export " + raw + " --csv " + Path("t.csv").string());
  ASSERT_EQ(exported.exitCode, 0) << exported.err;
  std::ifstream in(Path("t.csv"), std::ios::binary);
  const std::string csv((std::istreambuf_iterator<char>(in)), {});
  const std::string header = csv.substr(0, csv.find("\r\n"));
  EXPECT_EQ(header,
            "Date,Time,Latitude,Longitude,Altitude,Battery Voltage (V),Sats used,Wind Speed (m/s),"
            "Wind Dir (deg),Vertical Speed (m/s),Temperature(deg),Pressure (hPa),Humidity (%),"
            "Dew point (deg),O3 Pump Temp (deg),O3 Pump Current (mA),O3 Current (uA),"
            "O3 Battery Voltage (V),O3 External voltage (V),Cobald Serial,Cobald Temp (deg),"
            "Cobald Signal Blue,Cobald Signal Red,Cobald Monitor Blue,Cobald Monitor Red,"
            "Mirror Temp (deg),Detector Signal (V),Optics Temp (deg),Battery Voltage (V),"
            "PT100 (Ohm),Mirror Temp (deg),Scatter Light (V),Peltier Current (A),"
            "Heat sink temp (deg),Circuit Board Temp (deg),Battery (V)");
  const std::string first =
      csv.substr(header.size() + 2, csv.find("\r\n", header.size() + 2) - header.size() - 2);
  EXPECT_NE(
      first.find(",,,,-0.01,100,10.000,2.9,5.0,255,-25.00,-1,-8388608,-32768,1,-48.25,2.50000,"
                 "53.23,15.0000,0.00,0.00,1.0240,-3.00,19.489,34.507,5.000"),
      std::string::npos)
      << first;
}

TEST_F(InstrumentCli, BadPositionsAndIdsAreDroppedQuietly) {
  const std::string wav = Path("bad.wav").string();
  // Position 00 and 0A are outside the chain; "ZZ" is no id. The CRCs are all good.
  const auto sim = Run(kSim +
                       " --frames 2 --xdata 05008001186A01D06432 --xdata 050A8001186A01D06432"
                       " --xdata ZZ038001186A01D06432 -o " +
                       wav);
  ASSERT_EQ(sim.exitCode, 0) << sim.err;
  const auto r = Run(kCli + " decode " + wav);
  const auto lines = test::Lines(r.out);
  ASSERT_EQ(lines.size(), 2U);
  EXPECT_EQ(lines[0].find("\"oif411\""), std::string::npos) << lines[0];
  EXPECT_NE(lines[0].find(R"("xdata":[true,true,true])"), std::string::npos) << lines[0];
}

}  // namespace
}  // namespace windlark
