#pragma once

#include <array>
#include <cstdint>
#include <memory>

#include "xdata/InstrumentPanel.h"

namespace windlark {

inline constexpr int kFirstChainPosition = 1;
inline constexpr int kLastChainPosition = 9;
inline constexpr int kLivenessPeriodMs = 6000;

// Order of the instrument-seen flags: OIF411, CFH, COBALD, SKYDEW, unrecognised.
inline constexpr std::size_t kAuxKindCount = 5;
using AuxPresentFlags = std::array<std::uint8_t, kAuxKindCount>;
// Index of a kind in the instrument-seen flags; None has none and gives kAuxKindCount.
std::size_t AuxPresentIndex(InstrumentKind kind);

// How the auxiliary sensors window follows the chain. Called on the decoding thread.
class ChainObserver {
 public:
  virtual ~ChainObserver() = default;
  // A panel now exists at the position: build it and lay the window out (showing it).
  virtual void PanelCreated(int position) = 0;
  // The panel at the position is gone: drop it and lay the window out.
  virtual void PanelRemoved(int position) = 0;
  // Values, memo or status colour of the panel changed.
  virtual void PanelChanged(int position) = 0;
  // Every panel was removed by a display reset: shrink and hide the window.
  virtual void ChainCleared() = 0;
};

// The reflectivity inputs of the CFH: one pair for the whole run, shared by every CFH panel
// and kept across sondes.
struct CfhReflectivityInputs {
  double lastDetectorSignal = 0;    // V, from the latest FC packet
  double lastSpecularSetpoint = 0;  // V, from the latest FE packet
};

// The daisy chain of auxiliary instruments: one panel per position 1..9, their liveness, and the
// instrument-seen flags of the position report. Lives as long as the program.
class InstrumentChain {
 public:
  InstrumentChain();
  ~InstrumentChain();
  InstrumentChain(const InstrumentChain&) = delete;
  InstrumentChain& operator=(const InstrumentChain&) = delete;

  void SetObserver(ChainObserver* observer) { m_observer = observer; }

  // Positions outside 1..9 have no panel.
  InstrumentPanel* Panel(int position);
  const InstrumentPanel* Panel(int position) const;
  InstrumentKind PanelKind(int position) const;
  bool PanelSeen(int position) const;
  int PanelCount() const { return m_panelCount; }

  // A fresh panel of the kind at the position (replacing one that is there).
  void CreatePanel(int position, InstrumentKind kind);
  void RemovePanel(int position);
  // A packet for the position arrived: its status box turns lime green.
  void MarkSeen(int position);
  // The liveness check: boxes of positions silent since the last check turn red.
  void CheckFrames();
  // Removes every panel (display reset).
  void ClearFrame();
  // Tells the observer that the decoder rewrote the panel's values.
  void NotifyChanged(int position);

  const AuxPresentFlags& AuxPresent() const { return m_auxPresent; }
  void SetAuxPresent(InstrumentKind kind);
  void ClearAuxPresent() { m_auxPresent.fill(0); }

  CfhReflectivityInputs& CfhInputs() { return m_cfhInputs; }
  const CfhReflectivityInputs& CfhInputs() const { return m_cfhInputs; }

 private:
  static bool InRange(int position) {
    return position >= kFirstChainPosition && position <= kLastChainPosition;
  }
  static std::size_t Slot(int position) { return static_cast<std::size_t>(position); }

  std::array<std::unique_ptr<InstrumentPanel>, kLastChainPosition + 1> m_panels;
  std::array<bool, kLastChainPosition + 1> m_panelSeen{};
  int m_panelCount = 0;
  AuxPresentFlags m_auxPresent{};
  CfhReflectivityInputs m_cfhInputs;
  ChainObserver* m_observer = nullptr;
};

}  // namespace windlark
