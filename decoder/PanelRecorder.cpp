#include "decoder/PanelRecorder.h"

#include "base/Format.h"
#include "base/Json.h"

namespace windlark {

namespace {

constexpr int kPanelsPerBar[2] = {4, 3};

bool ValidPanel(int bar, int panel) {
  return bar >= 1 && bar <= 2 && panel >= 1 && panel <= kPanelsPerBar[bar - 1];
}

}  // namespace

PanelRecorder::PanelRecorder() {
  m_lamps.fill(kNavy);
  m_subFrames.fill(kNavy);
}

void PanelRecorder::SetText(ReadOut readOut, std::string_view text) {
  m_texts.at(static_cast<std::size_t>(readOut)) = text;
}

void PanelRecorder::SetLamp(Lamp lamp, Rgb colour) {
  m_lamps.at(static_cast<std::size_t>(lamp)) = colour;
}

void PanelRecorder::SetSubFrameLamp(int index, Rgb colour) {
  if (index >= 0 && index < kSubFrameCount) m_subFrames[static_cast<std::size_t>(index)] = colour;
}

void PanelRecorder::SetSatellite(int slot, std::string_view label, int bar) {
  if (slot < 0 || slot >= kSatelliteCount) return;
  m_satellites[static_cast<std::size_t>(slot)] = {std::string(label), bar};
}

void PanelRecorder::SetStatusPanel(int bar, int panel, std::string_view text) {
  if (!ValidPanel(bar, panel)) return;
  m_statusPanels[static_cast<std::size_t>(bar - 1)][static_cast<std::size_t>(panel - 1)] = text;
}

std::string PanelRecorder::StatusPanel(int bar, int panel) const {
  if (!ValidPanel(bar, panel)) return {};
  return m_statusPanels[static_cast<std::size_t>(bar - 1)][static_cast<std::size_t>(panel - 1)];
}

void PanelRecorder::LogEvent(std::string_view text) {
  m_events.emplace_back(text);
  if (m_eventListener) m_eventListener(EventLineNow(text));
}

const std::string& PanelRecorder::Text(ReadOut readOut) const {
  return m_texts.at(static_cast<std::size_t>(readOut));
}

std::string PanelRecorder::PanelsJson() const {
  JsonObject json;
  for (std::size_t k = 0; k < m_texts.size(); ++k) {
    json.Add(ReadOutKey(static_cast<ReadOut>(k)), m_texts[k]);
  }
  for (std::size_t k = 0; k < m_lamps.size(); ++k) {
    json.Add(LampKey(static_cast<Lamp>(k)), ColourName(m_lamps[k]));
  }
  for (std::size_t k = 0; k < m_satellites.size(); ++k) {
    const std::string key = "Gps Time (UTC)/Sat " + FormatInt(static_cast<long long>(k) + 1);
    json.Add(key, m_satellites[k].label);
    json.Add(key + " signal", m_satellites[k].bar);
  }
  for (std::size_t k = 0; k < m_subFrames.size(); ++k) {
    json.Add("Sub Frames/" + FormatInt(static_cast<long long>(k)), ColourName(m_subFrames[k]));
  }
  for (int bar = 1; bar <= 2; ++bar) {
    for (int panel = 1; panel <= kPanelsPerBar[bar - 1]; ++panel) {
      json.Add("StatusBar" + FormatInt(bar) + "/" + FormatInt(panel), StatusPanel(bar, panel));
    }
  }
  return json.Str();
}

}  // namespace windlark
