#include "decoder/StatusDecoder.h"

#include <gtest/gtest.h>

#include "decoder/DecoderRig.h"

namespace windlark {
namespace {

using test::DecoderRig;
using test::FrameSpec;

TEST(StatusDecoder, ShowsFrameIdBatteryAndLogsTheNewSonde) {
  DecoderRig rig;
  ShowInputSource(rig.ctx, "Input source: Line In");
  FrameSpec frameSpec;
  frameSpec.frameNumber = 3172;
  frameSpec.sondeId = "L1830070";
  frameSpec.battery = 29;
  rig.Decode(frameSpec);
  // Recognising the new sonde resets the decoder but not what this frame just decoded.
  EXPECT_TRUE(rig.state.statusValid);
  EXPECT_EQ(rig.view.Text(ReadOut::FrameNumber), "3172");
  EXPECT_EQ(rig.view.Text(ReadOut::SondeId), "L1830070");
  EXPECT_EQ(rig.view.Text(ReadOut::Battery), "2.9 V");
  ASSERT_EQ(rig.view.Events().size(), 1U);
  EXPECT_EQ(rig.view.Events()[0], "Receiving Sonde Id = L1830070 from Input source: Line In");
  EXPECT_EQ(rig.view.LampColour(Lamp::Header), kAqua);

  // The same id again logs nothing; the battery follows the locale's separator.
  rig.ctx.settings.localeDecimalSeparator = ',';
  rig.Decode(frameSpec);
  EXPECT_TRUE(rig.state.statusValid);
  EXPECT_EQ(rig.view.Events().size(), 1U);
  EXPECT_EQ(rig.view.Text(ReadOut::Battery), "2,9 V");
}

TEST(StatusDecoder, DerivedValuesFromTheirFragments) {
  struct Case {
    int fragment;
    std::initializer_list<std::pair<int, int>> bytes;
    ReadOut readOut;
    const char* text;
  };
  const Case cases[] = {
      {0, {{2, 0x40}, {3, 0x1F}}, ReadOut::Frequency, "401.250 MHz"},
      {1, {{5, 0xF2}, {6, 0x4E}}, ReadOut::Firmware, "20210"},
      {2, {{11, 0}}, ReadOut::BurstStatus, "Disabled"},
      {2, {{11, 1}}, ReadOut::BurstStatus, "Enabled"},
      {49, {{6, 0}, {7, 0}}, ReadOut::TimerDuration, "00:00:00"},
      {49, {{6, 0x8D}, {7, 0x0E}}, ReadOut::TimerDuration, "01:02:05"},
      {50, {{0, 0xFF}, {1, 0xFF}}, ReadOut::Countdown, "Not Active"},
      {50, {{0, 0x8D}, {1, 0x0E}}, ReadOut::Countdown, "01:02:05"},
  };
  for (const auto& c : cases) {
    DecoderRig rig;
    rig.Fragment(c.fragment, c.bytes);
    EXPECT_EQ(rig.view.Text(c.readOut), c.text) << "fragment " << c.fragment;
  }
}

TEST(StatusDecoder, SondeTypeSetsPressureSourceAndCaption) {
  struct Case {
    const char* type;
    int source;
    const char* caption;
  };
  const Case cases[] = {
      {"RS41-SG", 1, "Pressure GPS "},
      {"RS41-SGP", 2, "Pressure PTU "},
      {"RS41-SGM", -1, "Pressure "},
  };
  for (const auto& c : cases) {
    DecoderRig rig;
    std::initializer_list<std::pair<int, int>> none{};
    FrameSpec frameSpec;
    frameSpec.fragmentIndex = 33;
    for (std::size_t k = 0; c.type[k] != 0; ++k)
      frameSpec.fragment[8 + k] = static_cast<std::uint8_t>(c.type[k]);
    rig.Decode(frameSpec);
    (void)none;
    EXPECT_EQ(rig.state.sondeType, c.type);
    EXPECT_EQ(rig.view.Text(ReadOut::Type), c.type);
    EXPECT_EQ(rig.state.pressureSource, c.source);
    EXPECT_EQ(rig.view.Text(ReadOut::PressureCaption), c.caption);
  }
}

TEST(StatusDecoder, CoefficientsWaitForBothFragmentsInAnyOrder) {
  DecoderRig rig;
  rig.Fragment(6, {});
  EXPECT_FALSE(rig.state.temperatureCalReady);
  rig.Fragment(5, {});
  EXPECT_TRUE(rig.state.temperatureCalReady);
  rig.Fragment(19, {});
  EXPECT_FALSE(rig.state.humidityCalReady);
  rig.Fragment(7, {});
  EXPECT_TRUE(rig.state.humidityCalReady);
  for (int k = 37; k <= 41; ++k) rig.Fragment(k, {});
  EXPECT_FALSE(rig.state.pressureCalReady);
  rig.Fragment(42, {});
  EXPECT_TRUE(rig.state.pressureCalReady);
}

TEST(StatusDecoder, SubFrameLampsAndCompleteness) {
  DecoderRig rig;
  rig.Fragment(3, {});
  EXPECT_EQ(rig.view.SubFrameColour(3), kYellow);
  rig.Fragment(4, {});
  EXPECT_EQ(rig.view.SubFrameColour(3), kAqua);
  EXPECT_EQ(rig.view.SubFrameColour(4), kYellow);
  EXPECT_EQ(rig.view.SubFrameColour(5), kNavy);

  // An index above 50 is ignored entirely.
  rig.Fragment(51, {{0, 0x55}});
  EXPECT_EQ(rig.state.lastFragment, 4);
  EXPECT_EQ(rig.view.SubFrameColour(4), kYellow);

  for (int k = 0; k <= 50; ++k) {
    EXPECT_FALSE(rig.state.calibrationComplete) << k;
    rig.Fragment(k, {});
  }
  EXPECT_TRUE(rig.state.calibrationComplete);
  rig.Fragment(51, {});
  rig.Fragment(7, {});
  EXPECT_TRUE(rig.state.calibrationComplete);
}

TEST(StatusDecoder, PoweroffTimeOncePerSondeFromTheGpsTime) {
  DecoderRig rig;
  FrameSpec frameSpec;
  frameSpec.timeOfWeekMs = (23 * 3600 + 55 * 60 + 30) * 1000U;
  rig.Fragment(50, {{0, 0x58}, {1, 0x02}}, frameSpec);  // 600 s = 00:10:00
  EXPECT_EQ(rig.view.Text(ReadOut::Countdown), "00:10:00");
  EXPECT_EQ(rig.view.Text(ReadOut::PoweroffTime), "00:05:30 UTC");
  frameSpec.timeOfWeekMs += 60000;
  rig.Fragment(50, {{0, 0x58}, {1, 0x02}}, frameSpec);
  EXPECT_EQ(rig.view.Text(ReadOut::PoweroffTime), "00:05:30 UTC");
}

TEST(StatusDecoder, NewSondeMidFlightEmptiesEverything) {
  DecoderRig rig;
  for (int k = 0; k < 10; ++k) rig.Fragment(k, {{2, 0x40}, {3, 0x1F}});
  ASSERT_EQ(rig.view.Text(ReadOut::Frequency), "401.250 MHz");
  FrameSpec other;
  other.sondeId = "S4610487";
  rig.Fragment(20, {}, other);
  EXPECT_EQ(rig.view.Events().size(), 2U);
  EXPECT_EQ(rig.view.Events()[1].rfind("Receiving Sonde Id = S4610487 from ", 0), 0U);
  EXPECT_EQ(rig.view.Text(ReadOut::Frequency), "");
  EXPECT_EQ(rig.view.Text(ReadOut::SondeId), "S4610487");
  for (int k = 0; k < kSubFrameCount; ++k) {
    EXPECT_EQ(rig.view.SubFrameColour(k), k == 20 ? kYellow : kNavy) << k;
  }
  EXPECT_FALSE(rig.state.fragmentReceived[0]);
  EXPECT_EQ(rig.state.calibration[2], 0);
  EXPECT_EQ(rig.view.StatusPanel(1, 2), "Estimated Launch Time");
}

}  // namespace
}  // namespace windlark
