#include "xdata/CfhDecoder.h"

#include <gtest/gtest.h>

#include "xdata/XdataRig.h"

namespace windlark {
namespace {

using test::XdataRig;

// A configuration packet at `position`: subtype, characters 7-12 and 13-16, then the optics
// temperature 0000 (53.23 °C) and battery 0200 (15.0000 V).
std::string Config(int position, std::string_view subtype, std::string_view first,
                   std::string_view second) {
  std::string text = "08" + test::Hex(position, 2);
  text.append(subtype).append(first).append(second).append("00000200");
  return text;
}

// A data packet at position 1.
std::string Data(std::string_view mirror, std::string_view detector, std::string_view optics,
                 std::string_view battery) {
  std::string text = "0801";
  text.append(mirror).append(detector).append(optics).append(battery);
  return text;
}

TEST(CfhDecoder, DataPacket) {
  XdataRig rig;
  const XdataRecord record = rig.Send(Data("7B9E2B", "800000", "0000", "0200"));
  EXPECT_EQ(record.cfhPresent, 1);
  EXPECT_NEAR(record.cfhMirrorTemperature, 8101419 * 1.13248825073242e-5 - 140, 1e-12);
  EXPECT_DOUBLE_EQ(record.cfhDetectorSignal, 8388608 * 2.98023223876953e-7);
  EXPECT_DOUBLE_EQ(record.cfhOpticsTemperature, 53.23);
  EXPECT_DOUBLE_EQ(record.cfhBatteryVoltage, 15.0);
  EXPECT_EQ(rig.Row(1, "Instr. Type"), "0x08");
  EXPECT_EQ(rig.Row(1, "Inst. #"), "1");
  EXPECT_EQ(rig.Row(1, "Mirror Temp"), "-48.25 °C");
  EXPECT_EQ(rig.Row(1, "Detect. Signal"), "2.50000");
  EXPECT_EQ(rig.Row(1, "Optics Temp"), "53.23 °C");
  EXPECT_EQ(rig.Row(1, "CFH Batt"), "15.0000 V");
  EXPECT_EQ(rig.view.LampColour(Lamp::Cfh), kAqua);

  // A failed field counts as 0.
  rig.Send(Data("7B9E2G", "800000", "0000", "0200"));
  EXPECT_EQ(rig.Row(1, "Mirror Temp"), "-140.00 °C");

  // A mirror value from FA0000 on reads as a configuration packet.
  const XdataRecord config = rig.Send(Data("FC0000", "000000", "0000", "0200"));
  EXPECT_EQ(config.cfhMirrorTemperature, 0);
  EXPECT_EQ(rig.Row(1, "Cal C"), "0");
  EXPECT_EQ(rig.Row(1, "Mirror Temp"), "-140.00 °C");
}

TEST(CfhDecoder, ConfigurationPackets) {
  XdataRig rig;
  rig.Send(Data("7B9E2B", "800000", "0010", "0100"));
  const XdataRecord record = rig.Send(Config(1, "FF", "ABC123", "0123"));
  EXPECT_EQ(record.cfhPresent, 1);
  EXPECT_EQ(record.cfhMirrorTemperature, 0);
  EXPECT_EQ(record.cfhOpticsTemperature, 0);
  EXPECT_EQ(rig.Row(1, "CFH Serial"), "ABC123");
  EXPECT_EQ(rig.Row(1, "Code Ver"), "291.000");
  EXPECT_EQ(rig.Row(1, "Optics Temp"), "53.23 °C");
  EXPECT_EQ(rig.Row(1, "CFH Batt"), "15.0000 V");
  EXPECT_EQ(rig.Row(1, "Mirror Temp"), "-48.25 °C");

  rig.Send(Config(1, "FB", "00000A", "8000"));
  EXPECT_EQ(rig.Row(1, "Cal D"), "10");
  EXPECT_EQ(rig.Row(1, "Setpoint Temp"), "50.00");
  rig.Send(Config(1, "FD", "FFFFFF", "0100"));
  EXPECT_EQ(rig.Row(1, "Cal B"), "16777215");
  EXPECT_EQ(rig.Row(1, "AD630 Offs"), "0.00020");

  // FA carries the PIC version only.
  rig.Send(Config(1, "FA", "0007D0", "FFFF").substr(0, 12) + "FFFFFFFFFFFF");
  EXPECT_EQ(rig.Row(1, "PIC Ver"), "2.000");
  EXPECT_EQ(rig.Row(1, "Optics Temp"), "53.23 °C");
  EXPECT_EQ(rig.Row(1, "CFH Batt"), "15.0000 V");
}

TEST(CfhDecoder, ReflectivityInputsAreSharedAndOutliveTheChain) {
  XdataRig rig;
  // FC before any FE: detector signal / 2.5 * 100.
  rig.Send(Config(1, "FC", "000003", "4000"));
  EXPECT_EQ(rig.Row(1, "Cal C"), "3");
  EXPECT_EQ(rig.Row(1, "Detect.Sign"), "1.25000");
  EXPECT_EQ(rig.Row(1, "Reflect. %"), "50.00");

  // A setpoint of exactly 2.5 V leaves the reflectivity as it was.
  rig.Send(Config(1, "FE", "000004", "8000"));
  EXPECT_EQ(rig.Row(1, "Cal A"), "4");
  EXPECT_EQ(rig.Row(1, "Spec. Setpoint"), "2.50000");
  EXPECT_EQ(rig.Row(1, "Reflect. %"), "50.00");

  rig.Send(Config(1, "FE", "000004", "2000"));
  EXPECT_EQ(rig.Row(1, "Reflect. %"), "33.33");

  // Another CFH, after the chain was cleared, still uses the setpoint of 0.625 V.
  rig.chain.ClearFrame();
  rig.Send(Config(2, "FC", "000003", "0000"));
  EXPECT_EQ(rig.Row(2, "Reflect. %"), "-33.33");
  EXPECT_EQ(rig.Row(2, "Spec. Setpoint"), "");
}

TEST(CfhDecoder, OnlyItsOwnPanelChanges) {
  XdataRig rig;
  rig.Send("1902" + std::string(26, '1'));
  const std::vector<std::string> cobald = rig.Rows(2);
  rig.Send(Config(1, "FC", "000003", "4000"));
  rig.Send(Data("7B9E2B", "800000", "0000", "0200"));
  EXPECT_EQ(rig.Rows(2), cobald);
}

}  // namespace
}  // namespace windlark
