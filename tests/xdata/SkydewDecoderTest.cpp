#include "xdata/SkydewDecoder.h"

#include <gtest/gtest.h>

#include "xdata/XdataRig.h"

namespace windlark {
namespace {

using test::Hex;
using test::XdataRig;

struct Packet {
  int position = 2;
  int m = 0x9000;
  int light = 0x4000;
  int h = 0x9000;
  int l = 0x1000;
  int peltier = 0;
  int heatSink = 0x80;
  int board = 0x80;
  int battery = 0xC8;
  int value = 0;
  int index = 7;

  std::string Text() const {
    return "3F" + Hex(position, 2) + Hex(m, 4) + Hex(light, 4) + Hex(h, 4) + Hex(l, 4) +
           Hex(peltier, 4) + Hex(heatSink, 2) + Hex(board, 2) + Hex(battery, 2) + "00" +
           Hex(value, 4) + Hex(index, 2);
  }
  Packet Parameter(int k, int v) const {
    Packet next = *this;
    next.index = k;
    next.value = v;
    return next;
  }
};

// Sends K1..K4 = 10000, the last packet completing them.
XdataRecord SendCoefficients(XdataRig& rig, const Packet& packet) {
  XdataRecord record;
  for (int k = 1; k <= 4; ++k) record = rig.Send(packet.Parameter(k, 10000).Text());
  return record;
}

TEST(SkydewDecoder, ChannelsWithoutCoefficients) {
  XdataRig rig;
  const XdataRecord record = rig.Send(Packet{}.Text());
  EXPECT_EQ(record.skydewPresent, 1);
  EXPECT_DOUBLE_EQ(record.skydewScatteredLight, 1.024);
  EXPECT_DOUBLE_EQ(record.skydewPeltierCurrent, -3.0);
  EXPECT_DOUBLE_EQ(record.skydewBatteryVoltage, 5.0);
  EXPECT_NEAR(record.skydewHeatSinkTemperature, 19.489, 5e-4);
  EXPECT_NEAR(record.skydewBoardTemperature, 34.507, 5e-4);
  EXPECT_EQ(record.skydewPt100Resistance, 0);
  EXPECT_EQ(record.skydewMirrorTemperature, 0);
  EXPECT_EQ(rig.Row(2, "Instr. Type"), "0x3F");
  EXPECT_EQ(rig.Row(2, "Inst. #"), "2");
  EXPECT_EQ(rig.Row(2, "Scattered Light"), "1.0240 V");
  EXPECT_EQ(rig.Row(2, "Peltier Current"), "-3.00 A");
  EXPECT_EQ(rig.Row(2, "HS Temp"), "19.489 °C");
  EXPECT_EQ(rig.Row(2, "CBTemp"), "34.507 °C");
  EXPECT_EQ(rig.Row(2, "Battery"), "5.000 V");
  EXPECT_EQ(rig.Row(2, "PT100 Temp"), "");
  EXPECT_EQ(rig.Row(2, "Mirror Temp"), "");
  EXPECT_EQ(rig.view.LampColour(Lamp::Skydew), kAqua);
}

TEST(SkydewDecoder, ParameterChannel) {
  XdataRig rig;
  rig.Send(Packet{}.Parameter(0, 0x1234).Text());
  rig.Send(Packet{}.Parameter(5, 0x0102).Text());
  EXPECT_EQ(rig.Row(2, "Serial"), "4660");
  EXPECT_EQ(rig.Row(2, "FW Version"), "258");
  const std::vector<std::string> before = rig.Rows(2);
  rig.Send(Packet{}.Parameter(7, 0x5555).Text());
  std::string unparsable = Packet{}.Parameter(0, 0x5555).Text();
  unparsable.replace(36, 2, "0G");
  rig.Send(unparsable);
  EXPECT_EQ(rig.Rows(2), before);
  EXPECT_FALSE(rig.Panel(2).Coefficients().Received(1));
}

TEST(SkydewDecoder, Pt100OnceTheCoefficientsAreComplete) {
  XdataRig rig;
  const Packet equal;  // M = H
  for (int k = 1; k <= 3; ++k) {
    const XdataRecord record = rig.Send(equal.Parameter(k, 10000).Text());
    EXPECT_EQ(rig.Row(2, "PT100 Temp"), "") << k;
    EXPECT_EQ(record.skydewPt100Resistance, 0) << k;
  }
  XdataRecord record = rig.Send(equal.Parameter(4, 10000).Text());
  EXPECT_EQ(rig.Row(2, "PT100 Temp"), "100.00 Ohm");
  EXPECT_EQ(rig.Row(2, "Mirror Temp"), "0.00 °C");
  EXPECT_DOUBLE_EQ(record.skydewPt100Resistance, 100.0);

  Packet ratio;
  ratio.m = 0x8000;
  ratio.h = 0x9000;
  ratio.l = 0x1000;  // M - L = 7000, H - L = 8000
  record = rig.Send(ratio.Text());
  EXPECT_EQ(rig.Row(2, "PT100 Temp"), "87.50 Ohm");
  EXPECT_EQ(rig.Row(2, "Mirror Temp"), "-31.84 °C");
  EXPECT_DOUBLE_EQ(record.skydewPt100Resistance, 87.5);
  EXPECT_NEAR(record.skydewMirrorTemperature, -31.836, 1e-3);

  // Later packets of any index keep the coefficients.
  rig.Send(ratio.Parameter(1, 20000).Text());
  EXPECT_TRUE(rig.Panel(2).Coefficients().Complete());
  EXPECT_EQ(rig.Row(2, "PT100 Temp"), "78.75 Ohm");
}

TEST(SkydewDecoder, UndefinedValuesStayEmptyAndZero) {
  XdataRig rig;
  Packet packet;
  SendCoefficients(rig, packet);
  ASSERT_EQ(rig.Row(2, "PT100 Temp"), "100.00 Ohm");
  packet.h = packet.l;
  packet.heatSink = 0;
  packet.board = 0;
  const XdataRecord record = rig.Send(packet.Text());
  EXPECT_EQ(rig.Row(2, "PT100 Temp"), "");
  EXPECT_EQ(rig.Row(2, "Mirror Temp"), "");
  EXPECT_EQ(rig.Row(2, "HS Temp"), "");
  EXPECT_EQ(rig.Row(2, "CBTemp"), "");
  EXPECT_EQ(record.skydewPt100Resistance, 0);
  EXPECT_EQ(record.skydewMirrorTemperature, 0);
  EXPECT_EQ(record.skydewHeatSinkTemperature, 0);
  EXPECT_EQ(record.skydewBoardTemperature, 0);
  EXPECT_EQ(rig.Row(2, "Battery"), "5.000 V");
}

TEST(SkydewDecoder, CoefficientsBelongToThePanel) {
  XdataRig rig;
  Packet second;
  Packet fourth;
  fourth.position = 4;
  SendCoefficients(rig, second);
  rig.Send(fourth.Text());
  EXPECT_EQ(rig.Row(4, "PT100 Temp"), "");

  // A kind change at the position creates a fresh panel that must learn them again.
  rig.Send("0502" + std::string(16, '0'));
  rig.Send(second.Text());
  EXPECT_FALSE(rig.Panel(2).Coefficients().Complete());
  EXPECT_EQ(rig.Row(2, "PT100 Temp"), "");
}

TEST(SkydewDecoder, ThermistorCurve) {
  EXPECT_NEAR(*SkydewThermistorTemperature(0x80, 43), 19.489, 5e-4);
  EXPECT_NEAR(*SkydewThermistorTemperature(0x80, 12), 34.507, 5e-4);
  EXPECT_FALSE(SkydewThermistorTemperature(0, 43).has_value());
  // Every count of the two-digit field has a finite temperature.
  for (int count = 1; count <= 0xFF; ++count) {
    ASSERT_TRUE(SkydewThermistorTemperature(count, 43).has_value()) << count;
    ASSERT_TRUE(SkydewThermistorTemperature(count, 12).has_value()) << count;
  }
}

}  // namespace
}  // namespace windlark
