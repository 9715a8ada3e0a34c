#include "xdata/CobaldDecoder.h"

#include <gtest/gtest.h>

#include "xdata/XdataRig.h"

namespace windlark {
namespace {

using test::XdataRig;

std::string Cobald(std::string_view serial, std::string_view temperature, std::string_view blue,
                   std::string_view red, std::string_view blueMonitor,
                   std::string_view redMonitor) {
  std::string text = "1905";
  text.append(serial).append(temperature).append(blue).append(red);
  text.append(blueMonitor).append(redMonitor);
  return text;
}

TEST(CobaldDecoder, SignedCountsPerWidth) {
  XdataRig rig;
  XdataRecord record = rig.Send(Cobald("0FF", "F38", "FFFFFF", "800000", "8000", "0001"));
  EXPECT_EQ(record.cobaldPresent, 1);
  EXPECT_EQ(record.cobaldSerial, 255);
  EXPECT_DOUBLE_EQ(record.cobaldTemperature, -25.0);
  EXPECT_EQ(record.cobaldBlueSignal, -1);
  EXPECT_EQ(record.cobaldRedSignal, -8388608);
  EXPECT_EQ(record.cobaldBlueMonitor, -32768);
  EXPECT_EQ(record.cobaldRedMonitor, 1);
  EXPECT_EQ(rig.Row(5, "Instr. Type"), "0x19");
  EXPECT_EQ(rig.Row(5, "Inst. #"), "5");
  EXPECT_EQ(rig.Row(5, "Serial #"), "255");
  EXPECT_EQ(rig.Row(5, "Temp"), "-25.00 °C");
  EXPECT_EQ(rig.Row(5, "Signal Blue"), "-1");
  EXPECT_EQ(rig.Row(5, "Signal Red"), "-8388608");
  EXPECT_EQ(rig.Row(5, "Monitor Blue"), "-32768");
  EXPECT_EQ(rig.Row(5, "Monitor Red"), "1");
  EXPECT_EQ(rig.view.LampColour(Lamp::Cobald), kAqua);

  record = rig.Send(Cobald("00F", "0C8", "7FFFFF", "000000", "7FFF", "FFFF"));
  EXPECT_EQ(rig.Row(5, "Temp"), "25.00 °C");
  EXPECT_EQ(record.cobaldBlueSignal, 8388607);
  EXPECT_EQ(record.cobaldBlueMonitor, 32767);
  EXPECT_EQ(record.cobaldRedMonitor, -1);

  record = rig.Send(Cobald("000", "800", "000000", "000000", "0000", "0000"));
  EXPECT_EQ(rig.Row(5, "Temp"), "-256.00 °C");
  EXPECT_DOUBLE_EQ(record.cobaldTemperature, -256.0);
}

TEST(CobaldDecoder, FailedFieldsAreZero) {
  XdataRig rig;
  const XdataRecord record = rig.Send(Cobald("0G0", "0C8", "12345Z", "000010", "00 1", "0001"));
  EXPECT_EQ(record.cobaldSerial, 0);
  EXPECT_EQ(record.cobaldBlueSignal, 0);
  EXPECT_EQ(record.cobaldRedSignal, 16);
  EXPECT_EQ(record.cobaldBlueMonitor, 0);
  EXPECT_EQ(rig.Row(5, "Serial #"), "0");
  EXPECT_EQ(rig.Row(5, "Temp"), "25.00 °C");
}

}  // namespace
}  // namespace windlark
