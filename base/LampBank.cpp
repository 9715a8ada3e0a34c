#include "base/LampBank.h"

namespace windlark {

LampBank::LampBank(TelemetryView& view) : m_view(view) {
  m_colours.fill(kNavy);
}

void LampBank::LightLamp(Lamp lamp) {
  SetLamp(lamp, kAqua);
}

void LampBank::SetLamp(Lamp lamp, Rgb colour) {
  m_colours[Index(lamp)] = colour;
  m_view.SetLamp(lamp, colour);
}

void LampBank::Decay() {
  // The enum lists the indicators in decay order first.
  for (std::size_t i = 0; i < m_counters.size(); ++i) {
    int& counter = m_counters[i];
    if (m_colours[i] != kAqua || counter > 2) {
      if (m_colours[i] != kNavy) SetLamp(static_cast<Lamp>(i), kNavy);
      counter = 0;
    } else {
      ++counter;
    }
  }
}

void LampBank::ResetCounters() {
  m_counters.fill(0);
}

}  // namespace windlark
