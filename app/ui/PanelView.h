#pragma once

#include <QString>

#include "app/ui/MainWidgets.h"
#include "base/TelemetryView.h"
#include "base/ui/QtText.h"

namespace windlark {

// The decoder's display on the main window's labels, lamps, gauges and status bars.
class PanelView : public TelemetryView {
 public:
  explicit PanelView(const MainWidgets& widgets) : m_w(widgets) {}

  void SetText(ReadOut readOut, std::string_view text) override;
  void SetLamp(Lamp lamp, Rgb colour) override;
  void SetSubFrameLamp(int index, Rgb colour) override;
  void SetSatellite(int slot, std::string_view label, int bar) override;
  void SetStatusPanel(int bar, int panel, std::string_view text) override;
  std::string StatusPanel(int bar, int panel) const override;
  void LogEvent(std::string_view text) override;

  // What the window shows now, read back from its controls.
  std::string Text(ReadOut readOut) const;
  Rgb LampColour(Lamp lamp) const;
  Rgb SubFrameColour(int index) const;
  std::string SatelliteLabel(int slot) const;
  int SatelliteBar(int slot) const;

 private:
  const MainWidgets& m_w;
};

}  // namespace windlark
