#include "base/LampBank.h"

#include <gtest/gtest.h>

#include "decoder/PanelRecorder.h"

namespace windlark {
namespace {

TEST(LampBank, LitIndicatorStaysThreeTicksAndIsNavyAtTheFourth) {
  PanelRecorder view;
  LampBank lamps(view);
  lamps.LightLamp(Lamp::Header);
  EXPECT_EQ(view.LampColour(Lamp::Header), kAqua);
  for (int tick = 1; tick <= 3; ++tick) {
    lamps.Decay();
    EXPECT_EQ(view.LampColour(Lamp::Header), kAqua) << "tick " << tick;
    lamps.LightLamp(Lamp::Header);  // lit again in between: no extension
  }
  lamps.Decay();
  EXPECT_EQ(view.LampColour(Lamp::Header), kNavy);
}

TEST(LampBank, ResetCountersRestartsTheDecay) {
  PanelRecorder view;
  LampBank lamps(view);
  lamps.LightLamp(Lamp::Skydew);
  lamps.Decay();
  lamps.Decay();
  lamps.ResetCounters();
  lamps.Decay();
  lamps.Decay();
  lamps.Decay();
  EXPECT_EQ(view.LampColour(Lamp::Skydew), kAqua);
  lamps.Decay();
  EXPECT_EQ(view.LampColour(Lamp::Skydew), kNavy);
}

TEST(LampBank, InputLampIsNotAnIndicator) {
  PanelRecorder view;
  LampBank lamps(view);
  lamps.LightLamp(Lamp::Input);
  for (int tick = 0; tick < 10; ++tick) lamps.Decay();
  EXPECT_EQ(view.LampColour(Lamp::Input), kAqua);
}

}  // namespace
}  // namespace windlark
