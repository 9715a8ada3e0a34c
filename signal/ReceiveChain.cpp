#include "signal/ReceiveChain.h"

#include "decoder/FlightState.h"

namespace windlark {

ReceiveChain::ReceiveChain(TelemetryView& view, DecoderHooks& hooks, DecoderSettings settings)
    : m_lamps(view),
      m_ctx{view, m_lamps, hooks, settings},
      m_sync(*this),
      m_slicer(m_sync, m_lamps, view, m_state.lockCount) {
  ShowInitialPanels(view);
  ResetDecoder(m_state, m_log, m_ctx);
}

void ReceiveChain::OnFrame(const RawFrame& frame) {
  const FrameChecks checks = DecodeFrame(frame, m_state, m_log, m_ctx);
  if (m_observer) m_observer(frame, checks);
}

bool ReceiveChain::Tick(AudioCapture& capture) {
  m_lamps.Decay();
  return capture.Poll();
}

}  // namespace windlark
