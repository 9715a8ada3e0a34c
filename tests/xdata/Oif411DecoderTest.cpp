#include "xdata/Oif411Decoder.h"

#include <gtest/gtest.h>

#include "xdata/XdataRig.h"

namespace windlark {
namespace {

using test::XdataRig;

// Measurement packet at position 3: n = 21.
std::string Measurement(std::string_view temperature, std::string_view current,
                        std::string_view battery, std::string_view pump, std::string_view ext) {
  std::string text = "0503";
  text.append(temperature).append(current).append(battery).append(pump).append(ext);
  return text;
}

// Identification packet at position 3: n = 22.
std::string Identification(std::string_view serial, std::string_view diagnostics,
                           std::string_view version) {
  std::string text = "0503";
  text.append(serial).append(diagnostics).append(version).append("0");
  return text;
}

TEST(Oif411Decoder, MeasurementPacket) {
  XdataRig rig;
  const XdataRecord record = rig.Send(Measurement("8001", "186A0", "1D", "064", "32"));
  EXPECT_EQ(record.ozonePresent, 1);
  EXPECT_DOUBLE_EQ(record.ozonePumpTemperature, -0.01);
  EXPECT_DOUBLE_EQ(record.ozoneCurrent, 10.0);
  EXPECT_DOUBLE_EQ(record.ozoneBatteryVoltage, 2.9);
  EXPECT_DOUBLE_EQ(record.ozonePumpCurrent, 100);
  EXPECT_DOUBLE_EQ(record.ozoneExtVoltage, 5.0);
  EXPECT_EQ(rig.Row(3, "Instr. Type"), "0x05");
  EXPECT_EQ(rig.Row(3, "Inst. #"), "3");
  EXPECT_EQ(rig.Row(3, "O3 Pump Temp"), "-0.01 °C");
  EXPECT_EQ(rig.Row(3, "O3 Current"), "10.000 uA");
  EXPECT_EQ(rig.Row(3, "Battery"), "2.9 V");
  EXPECT_EQ(rig.Row(3, "O3 Pump Current"), "100 mA");
  EXPECT_EQ(rig.Row(3, "Ext. Voltage"), "5.0 V");
  EXPECT_EQ(rig.view.LampColour(Lamp::Ozone), kAqua);
}

TEST(Oif411Decoder, PumpTemperatureIsSignAndMagnitude) {
  struct Case {
    std::string_view characters;
    std::string_view shown;
  };
  for (const Case& c : {Case{"8001", "-0.01 °C"}, Case{"7FFF", "327.67 °C"},
                        Case{"0000", "0.00 °C"}, Case{"ffff", "-327.67 °C"}}) {
    XdataRig rig;
    rig.Send(Measurement(c.characters, "00000", "00", "005", "00"));
    EXPECT_EQ(rig.Row(3, "O3 Pump Temp"), c.shown) << c.characters;
    EXPECT_EQ(rig.Row(3, "O3 Pump Current"), "005 mA");
  }
}

TEST(Oif411Decoder, IdentificationPacketKeepsTheMeasurement) {
  XdataRig rig;
  rig.Send(Measurement("0100", "00100", "1E", "064", "32"));
  const XdataRecord record = rig.Send(Identification("N1234567", "0400", "01F4"));
  // Only the presence flag: its CSV line reads zeros.
  EXPECT_EQ(record.ozonePresent, 1);
  EXPECT_EQ(record.ozonePumpTemperature, 0);
  EXPECT_EQ(record.ozoneCurrent, 0);
  EXPECT_EQ(record.ozoneBatteryVoltage, 0);
  EXPECT_EQ(rig.Row(3, "Instr. Type"), "5");
  EXPECT_EQ(rig.Row(3, "Serial #"), "N1234567");
  EXPECT_EQ(rig.Row(3, "Status"), "0400");
  EXPECT_EQ(rig.Row(3, ""), "Fail:No Battery voltage or low");
  EXPECT_EQ(rig.Row(3, "Sw Version"), "5.0");
  EXPECT_EQ(rig.Row(3, "O3 Pump Temp"), "2.56 °C");
  EXPECT_EQ(rig.Row(3, "Battery"), "3.0 V");

  rig.Send(Measurement("0000", "00000", "00", "000", "00"));
  EXPECT_EQ(rig.Row(3, "Instr. Type"), "0x05");
  EXPECT_EQ(rig.Row(3, "Serial #"), "N1234567");
}

TEST(Oif411Decoder, StatusLines) {
  struct Case {
    std::string_view diagnostics;
    std::string_view line;
  };
  for (const Case& c : {Case{"0000", "Ok"}, Case{"0004", "Fail:O3 pump temp under 5°C"},
                        Case{"0400", "Fail:No Battery voltage or low"},
                        Case{"0404", "Fails:Low Batt V + Low pump temp"},
                        Case{"0100", "Fail:Multiple or unknown error"},
                        Case{"04A0", "Fail:Multiple or unknown error"},
                        Case{" 400", "Fail:Multiple or unknown error"}}) {
    EXPECT_EQ(Oif411StatusLine(c.diagnostics), c.line) << c.diagnostics;
  }
}

TEST(Oif411Decoder, OtherLengthsOnlyMarkTheFrame) {
  XdataRig rig;
  rig.Send(Measurement("0100", "00100", "1E", "064", "32"));
  rig.Send(Identification("N1234567", "0000", "01F4"));
  const std::vector<std::string> before = rig.Rows(3);
  rig.lamps.SetLamp(Lamp::Ozone, kNavy);
  const XdataRecord record = rig.Send(Measurement("7FFF", "FFFFF", "FF", "FFF", "F"));  // n = 20
  EXPECT_EQ(record.ozonePresent, 1);
  EXPECT_EQ(record.ozonePumpTemperature, 0);
  EXPECT_EQ(rig.view.LampColour(Lamp::Ozone), kAqua);
  EXPECT_EQ(rig.Rows(3), before);
}

}  // namespace
}  // namespace windlark
