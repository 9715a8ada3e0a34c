#pragma once

#include <array>

#include "base/TelemetryView.h"

namespace windlark {

// The activity lamps: the decoder lights them, the 100 ms timer dims them back.
class LampBank {
 public:
  explicit LampBank(TelemetryView& view);

  void LightLamp(Lamp lamp);
  void SetLamp(Lamp lamp, Rgb colour);
  Rgb Colour(Lamp lamp) const { return m_colours[Index(lamp)]; }

  // One timer tick: an indicator stays aqua through three ticks and is navy at the fourth.
  void Decay();
  void ResetCounters();

 private:
  static std::size_t Index(Lamp lamp) { return static_cast<std::size_t>(lamp); }

  TelemetryView& m_view;
  std::array<Rgb, static_cast<std::size_t>(Lamp::Count)> m_colours;
  std::array<int, kIndicatorCount> m_counters{};
};

}  // namespace windlark
