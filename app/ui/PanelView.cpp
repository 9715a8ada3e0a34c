#include "app/ui/PanelView.h"

#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QScrollBar>

#include "app/ui/LampShape.h"
#include "app/ui/StatusBarPanels.h"

namespace windlark {

namespace {

QColor ToQColor(Rgb colour) {
  return {colour.red, colour.green, colour.blue};
}

Rgb ToRgb(const QColor& colour) {
  return {static_cast<std::uint8_t>(colour.red()), static_cast<std::uint8_t>(colour.green()),
          static_cast<std::uint8_t>(colour.blue())};
}

bool ValidSlot(int slot) {
  return slot >= 0 && slot < kSatelliteCount;
}

}  // namespace

void PanelView::SetText(ReadOut readOut, std::string_view text) {
  if (readOut == ReadOut::PressureCaption) {
    m_w.pressureGroup->setTitle(ToQString(text));
    return;
  }
  if (QLabel* label = m_w.readOuts.at(static_cast<std::size_t>(readOut))) {
    label->setText(ToQString(text));
  }
}

void PanelView::SetLamp(Lamp lamp, Rgb colour) {
  if (TLampShape* shape = m_w.lamps.at(static_cast<std::size_t>(lamp))) {
    shape->SetColour(ToQColor(colour));
  }
}

void PanelView::SetSubFrameLamp(int index, Rgb colour) {
  if (index < 0 || index >= kSubFrameCount) return;
  m_w.subFrameLamps[static_cast<std::size_t>(index)]->SetColour(ToQColor(colour));
}

void PanelView::SetSatellite(int slot, std::string_view label, int bar) {
  if (!ValidSlot(slot)) return;
  m_w.satelliteLabels[static_cast<std::size_t>(slot)]->setText(ToQString(label));
  m_w.satelliteGauges[static_cast<std::size_t>(slot)]->setValue(bar);
}

void PanelView::SetStatusPanel(int bar, int panel, std::string_view text) {
  if (bar < 1 || bar > 2) return;
  m_w.statusBars[static_cast<std::size_t>(bar - 1)]->SetText(panel, ToQString(text));
}

std::string PanelView::StatusPanel(int bar, int panel) const {
  if (bar < 1 || bar > 2) return {};
  return m_w.statusBars[static_cast<std::size_t>(bar - 1)]->Text(panel).toStdString();
}

void PanelView::LogEvent(std::string_view text) {
  m_w.eventsLog->appendPlainText(ToQString(EventLineNow(text)));
  m_w.eventsLog->verticalScrollBar()->setValue(m_w.eventsLog->verticalScrollBar()->maximum());
}

std::string PanelView::Text(ReadOut readOut) const {
  if (readOut == ReadOut::PressureCaption) return m_w.pressureGroup->title().toStdString();
  const QLabel* label = m_w.readOuts.at(static_cast<std::size_t>(readOut));
  return label != nullptr ? label->text().toStdString() : std::string();
}

Rgb PanelView::LampColour(Lamp lamp) const {
  return ToRgb(m_w.lamps.at(static_cast<std::size_t>(lamp))->Colour());
}

Rgb PanelView::SubFrameColour(int index) const {
  return ToRgb(m_w.subFrameLamps.at(static_cast<std::size_t>(index))->Colour());
}

std::string PanelView::SatelliteLabel(int slot) const {
  return ValidSlot(slot) ? m_w.satelliteLabels[static_cast<std::size_t>(slot)]->text().toStdString()
                         : std::string();
}

int PanelView::SatelliteBar(int slot) const {
  return ValidSlot(slot) ? m_w.satelliteGauges[static_cast<std::size_t>(slot)]->value() : 0;
}

}  // namespace windlark
