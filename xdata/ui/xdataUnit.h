#pragma once

#include <QPoint>
#include <QTimer>
#include <QWidget>
#include <array>
#include <functional>

#include "xdata/InstrumentChain.h"

namespace windlark {

class TAuxFrame;

// "Auxiliary Sensors": one panel per instrument of the daisy chain, in columns of three. The
// window follows the chain model as its observer: the dispatcher creates and removes panels in
// the model, the decoders write the panels' texts there, and this window builds, fills, places
// and drops the widgets. It also runs the 6000 ms liveness check of the model.
//
// Use from the main window:
//   Txdata xdata(chain, this);                        // created hidden; the timer runs from here
//   xdata.SetAnchorSource([this] { return pos(); });  // the main window's left/top edges
//   "Open Auxiliary Panel" click: xdata.OpenAuxiliaryPanel();  (nothing while HasPanels() is false)
//   display reset: chain.ClearFrame() (or xdata.ClearFrame()) empties, shrinks and hides it.
// The chain must outlive the window; everything runs on the main window's thread.
class Txdata : public QWidget, public ChainObserver {
  Q_OBJECT

 public:
  explicit Txdata(InstrumentChain& chain, QWidget* parent = nullptr);
  ~Txdata() override;
  Txdata(const Txdata&) = delete;
  Txdata& operator=(const Txdata&) = delete;

  // Where the main window's top-left corner is, read whenever a panel is created. Without one,
  // the parent's window position is taken (or the screen origin).
  void SetAnchorSource(std::function<QPoint()> mainTopLeft);

  void PanelCreated(int position) override;
  void PanelRemoved(int position) override;
  void PanelChanged(int position) override;
  void ChainCleared() override;

  int PanelCount() const { return m_panelCount; }
  bool HasPanels() const { return m_panelCount > 0; }
  // The "Open Auxiliary Panel" button: shows the window when it holds panels.
  void OpenAuxiliaryPanel();
  // The display reset: removes every panel, shrinks the window to 10 x 10 and hides it.
  void ClearFrame() { m_chain.ClearFrame(); }

  TAuxFrame* Frame(int position) const;
  QPoint Anchor() const { return {m_anchorLeft, m_anchorTop}; }

 private:
  void CreatePanel(int position, InstrumentKind kind, int mainLeft, int mainTop);
  void RemovePanel(int position);
  void LayoutPanels();
  void ShowWhenLaidOut();
  void LivenessTimerTimer();

  InstrumentChain& m_chain;
  QTimer m_livenessTimer{this};
  std::array<TAuxFrame*, kLastChainPosition + 1> m_frames{};
  int m_panelCount = 0;
  int m_anchorLeft = 0;
  int m_anchorTop = 0;
  std::function<QPoint()> m_anchorSource;
  bool m_showPending = false;
};

}  // namespace windlark
