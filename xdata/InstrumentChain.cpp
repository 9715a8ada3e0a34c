#include "xdata/InstrumentChain.h"

namespace windlark {

std::size_t AuxPresentIndex(InstrumentKind kind) {
  switch (kind) {
    case InstrumentKind::Oif411:
      return 0;
    case InstrumentKind::Cfh:
      return 1;
    case InstrumentKind::Cobald:
      return 2;
    case InstrumentKind::Skydew:
      return 3;
    case InstrumentKind::Unknown:
      return 4;
    case InstrumentKind::None:
      break;
  }
  return kAuxKindCount;
}

InstrumentChain::InstrumentChain() = default;
InstrumentChain::~InstrumentChain() = default;

InstrumentPanel* InstrumentChain::Panel(int position) {
  return InRange(position) ? m_panels[Slot(position)].get() : nullptr;
}

const InstrumentPanel* InstrumentChain::Panel(int position) const {
  return InRange(position) ? m_panels[Slot(position)].get() : nullptr;
}

InstrumentKind InstrumentChain::PanelKind(int position) const {
  const InstrumentPanel* panel = Panel(position);
  return panel != nullptr ? panel->Kind() : InstrumentKind::None;
}

bool InstrumentChain::PanelSeen(int position) const {
  return InRange(position) && m_panelSeen[Slot(position)];
}

void InstrumentChain::CreatePanel(int position, InstrumentKind kind) {
  if (!InRange(position) || kind == InstrumentKind::None) return;
  if (m_panels[Slot(position)] != nullptr) RemovePanel(position);
  m_panels[Slot(position)] = std::make_unique<InstrumentPanel>(position, kind);
  ++m_panelCount;
  if (m_observer != nullptr) m_observer->PanelCreated(position);
}

void InstrumentChain::RemovePanel(int position) {
  if (!InRange(position) || m_panels[Slot(position)] == nullptr) return;
  // The window lets go of its widget first; the model goes after.
  if (m_observer != nullptr) m_observer->PanelRemoved(position);
  m_panels[Slot(position)].reset();
  --m_panelCount;
}

void InstrumentChain::MarkSeen(int position) {
  if (!InRange(position)) return;
  m_panelSeen[Slot(position)] = true;
  InstrumentPanel* panel = m_panels[Slot(position)].get();
  if (panel != nullptr && panel->StatusColour() != kLimeGreen) {
    panel->SetStatusColour(kLimeGreen);
    NotifyChanged(position);
  }
}

void InstrumentChain::CheckFrames() {
  for (int position = kFirstChainPosition; position <= kLastChainPosition; ++position) {
    InstrumentPanel* panel = m_panels[Slot(position)].get();
    if (panel == nullptr || m_panelSeen[Slot(position)] || panel->StatusColour() == kRed) continue;
    panel->SetStatusColour(kRed);
    NotifyChanged(position);
  }
  m_panelSeen.fill(false);
}

void InstrumentChain::ClearFrame() {
  for (int position = kFirstChainPosition; position <= kLastChainPosition; ++position)
    RemovePanel(position);
  if (m_observer != nullptr) m_observer->ChainCleared();
}

void InstrumentChain::NotifyChanged(int position) {
  if (m_observer != nullptr && Panel(position) != nullptr) m_observer->PanelChanged(position);
}

void InstrumentChain::SetAuxPresent(InstrumentKind kind) {
  const std::size_t index = AuxPresentIndex(kind);
  if (index < kAuxKindCount) m_auxPresent[index] = 1;
}

}  // namespace windlark
