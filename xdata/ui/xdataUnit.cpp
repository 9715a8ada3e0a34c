#include "xdata/ui/xdataUnit.h"

#include "xdata/PanelPlacement.h"
#include "xdata/ui/CfhFrameUnit.h"
#include "xdata/ui/CobaldFrameUnit.h"
#include "xdata/ui/OIF411FrameUnit.h"
#include "xdata/ui/SkydewFrameUnit.h"
#include "xdata/ui/UnknownFrameUnit.h"

namespace windlark {

namespace {

TAuxFrame* NewFrame(const InstrumentPanel& panel, QWidget* parent) {
  switch (panel.Kind()) {
    case InstrumentKind::Oif411:
      return new TOIF411Frame(panel, parent);
    case InstrumentKind::Cfh:
      return new TCfhFrame(panel, parent);
    case InstrumentKind::Cobald:
      return new TCobaldFrame(panel, parent);
    case InstrumentKind::Skydew:
      return new TSkydewFrame(panel, parent);
    case InstrumentKind::Unknown:
    case InstrumentKind::None:
      break;
  }
  return new TUnknownFrame(panel, parent);
}

bool InChain(int position) {
  return position >= kFirstChainPosition && position <= kLastChainPosition;
}

}  // namespace

Txdata::Txdata(InstrumentChain& chain, QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint), m_chain(chain) {
  setWindowTitle(QStringLiteral("Auxiliary Sensors"));
  setFixedSize(kAuxEmptyWindowSize, kAuxEmptyWindowSize);
  m_chain.SetObserver(this);
  // Panels that exist already (a window made after the first blocks) are shown too.
  for (int position = kFirstChainPosition; position <= kLastChainPosition; ++position)
    if (m_chain.Panel(position) != nullptr) PanelCreated(position);

  m_livenessTimer.setInterval(kLivenessPeriodMs);
  connect(&m_livenessTimer, &QTimer::timeout, this, &Txdata::LivenessTimerTimer);
  m_livenessTimer.start();
}

Txdata::~Txdata() {
  m_chain.SetObserver(nullptr);
}

void Txdata::SetAnchorSource(std::function<QPoint()> mainTopLeft) {
  m_anchorSource = std::move(mainTopLeft);
}

void Txdata::PanelCreated(int position) {
  QPoint main;
  if (m_anchorSource) {
    main = m_anchorSource();
  } else if (parentWidget() != nullptr) {
    main = parentWidget()->window()->pos();
  }
  CreatePanel(position, m_chain.PanelKind(position), main.x(), main.y());
}

void Txdata::PanelRemoved(int position) {
  RemovePanel(position);
}

void Txdata::PanelChanged(int position) {
  const InstrumentPanel* panel = m_chain.Panel(position);
  TAuxFrame* frame = Frame(position);
  if (panel != nullptr && frame != nullptr) frame->ShowPanel(*panel);
}

void Txdata::ChainCleared() {
  for (int position = kFirstChainPosition; position <= kLastChainPosition; ++position)
    RemovePanel(position);
  m_showPending = false;
  setFixedSize(kAuxEmptyWindowSize, kAuxEmptyWindowSize);
  hide();
}

void Txdata::OpenAuxiliaryPanel() {
  if (m_panelCount > 0) show();
}

TAuxFrame* Txdata::Frame(int position) const {
  return InChain(position) ? m_frames[static_cast<std::size_t>(position)] : nullptr;
}

void Txdata::CreatePanel(int position, InstrumentKind kind, int mainLeft, int mainTop) {
  const InstrumentPanel* panel = m_chain.Panel(position);
  if (!InChain(position) || panel == nullptr || panel->Kind() != kind) return;
  m_anchorLeft = mainLeft;
  m_anchorTop = mainTop;
  RemovePanel(position);
  TAuxFrame* frame = NewFrame(*panel, this);
  m_frames[static_cast<std::size_t>(position)] = frame;
  ++m_panelCount;
  frame->move(0, 0);
  frame->show();
  LayoutPanels();
}

void Txdata::RemovePanel(int position) {
  TAuxFrame* frame = Frame(position);
  if (frame == nullptr) return;
  frame->hide();
  m_frames[static_cast<std::size_t>(position)] = nullptr;
  delete frame;
  --m_panelCount;
  LayoutPanels();
}

void Txdata::LayoutPanels() {
  ChainOccupancy occupied{};
  for (int position = kFirstChainPosition; position <= kLastChainPosition; ++position)
    occupied[static_cast<std::size_t>(position)] = Frame(position) != nullptr;
  const PanelArrangement arrangement = ArrangePanels(occupied, m_anchorLeft, m_anchorTop);
  if (arrangement.windowTopLeft)
    move(arrangement.windowTopLeft->left, arrangement.windowTopLeft->top);
  if (!arrangement.arrange) return;
  for (const PanelSpot& spot : arrangement.spots) Frame(spot.position)->move(spot.x, spot.y);
  setFixedSize(arrangement.width, arrangement.height);
  // Shown once the decoding step is over, so that a chain being cleared panel by panel never
  // flashes a window the user had closed.
  if (!m_showPending) {
    m_showPending = true;
    QMetaObject::invokeMethod(this, &Txdata::ShowWhenLaidOut, Qt::QueuedConnection);
  }
}

void Txdata::ShowWhenLaidOut() {
  if (!m_showPending) return;
  m_showPending = false;
  if (m_panelCount > 0) show();
}

void Txdata::LivenessTimerTimer() {
  m_chain.CheckFrames();
}

}  // namespace windlark
