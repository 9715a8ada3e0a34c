#pragma once

#include <array>
#include <functional>
#include <string>
#include <vector>

#include "base/TelemetryView.h"

namespace windlark {

struct SatelliteSlot {
  std::string label;
  int bar = 0;
};

// Keeps the last text of every read-out, lamp and status-bar panel: the window without widgets.
class PanelRecorder : public TelemetryView {
 public:
  PanelRecorder();

  void SetText(ReadOut readOut, std::string_view text) override;
  void SetLamp(Lamp lamp, Rgb colour) override;
  void SetSubFrameLamp(int index, Rgb colour) override;
  void SetSatellite(int slot, std::string_view label, int bar) override;
  void SetStatusPanel(int bar, int panel, std::string_view text) override;
  std::string StatusPanel(int bar, int panel) const override;
  void LogEvent(std::string_view text) override;

  const std::string& Text(ReadOut readOut) const;
  Rgb LampColour(Lamp lamp) const { return m_lamps.at(static_cast<std::size_t>(lamp)); }
  Rgb SubFrameColour(int index) const { return m_subFrames.at(static_cast<std::size_t>(index)); }
  const SatelliteSlot& Satellite(int slot) const {
    return m_satellites.at(static_cast<std::size_t>(slot));
  }
  // Event texts without their time stamps.
  const std::vector<std::string>& Events() const { return m_events; }
  // Called with each complete events-log line as it is written.
  void SetEventListener(std::function<void(const std::string&)> listener) {
    m_eventListener = std::move(listener);
  }

  // Every read-out, lamp and status-bar panel as one JSON object keyed by caption.
  std::string PanelsJson() const;

 private:
  std::array<std::string, static_cast<std::size_t>(ReadOut::Count)> m_texts;
  std::array<Rgb, static_cast<std::size_t>(Lamp::Count)> m_lamps;
  std::array<Rgb, kSubFrameCount> m_subFrames;
  std::array<SatelliteSlot, kSatelliteCount> m_satellites;
  std::array<std::array<std::string, 4>, 2> m_statusPanels;
  std::vector<std::string> m_events;
  std::function<void(const std::string&)> m_eventListener;
};

}  // namespace windlark
