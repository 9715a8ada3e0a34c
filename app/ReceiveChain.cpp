#include "app/ReceiveChain.h"

#include <ctime>

#include "decoder/FlightState.h"
#include "records/RawCapture.h"

namespace windlark {

ReceiveChain::ReceiveChain(TelemetryView& view, DecoderHooks& hooks, DecoderSettings settings)
    : m_lamps(view),
      m_ctx{view, m_lamps, hooks, settings},
      m_sync(*this),
      m_slicer(m_sync, m_lamps, view, m_state.lockCount) {
  m_ctx.instruments = &m_instruments;
  ShowInitialPanels(view);
  ResetDecoder(m_state, m_log, m_ctx);
}

void ReceiveChain::OnFrame(const RawFrame& frame) {
  const FrameChecks checks = DecodeFrame(frame, m_state, m_log, m_ctx);
  const std::string error = CaptureFrame(frame, m_state, m_ctx.view, m_rawDir, std::time(nullptr));
  if (!error.empty() && m_onCaptureError) m_onCaptureError(error);
  if (m_observer) m_observer(frame, checks);
}

void ReceiveChain::SetRawCapture(bool on, std::string dir,
                                 std::function<void(const std::string&)> onError) {
  m_state.saveRaw = on;
  m_state.rawFileNamed = false;
  m_rawDir = std::move(dir);
  m_onCaptureError = std::move(onError);
}

bool ReceiveChain::Tick(AudioCapture& capture) {
  m_lamps.Decay();
  return capture.Poll();
}

}  // namespace windlark
