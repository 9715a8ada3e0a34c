#include "app/ReceiveChain.h"

#include <algorithm>
#include <ctime>

#include "decoder/FlightState.h"
#include "decoder/FrameCorrection.h"
#include "records/RawCapture.h"

namespace windlark {

ReceiveChain::ReceiveChain(TelemetryView& view, DecoderHooks& hooks, DecoderSettings settings)
    : m_lamps(view),
      m_ctx{view, m_lamps, hooks, settings},
      m_sync(*this),
      m_slicer(m_sync, m_lamps, view, m_state.lockCount),
      m_enhanced(*this, m_lamps, view, m_state.lockCount) {
  m_ctx.instruments = &m_instruments;
  ShowInitialPanels(view);
  ResetDecoder(m_state, m_log, m_ctx);
}

void ReceiveChain::SetDemodulator(DemodulatorKind kind) {
  if (kind == m_selector.kind) return;
  m_selector.kind = kind;
  m_selector.ResetDemodulator();
  m_predictor.Reset();
}

void ReceiveChain::OnFrame(const RawFrame& frame) {
  Decode(frame, nullptr, 0);
}

void ReceiveChain::OnSoftFrame(const SoftFrame& soft) {
  static_assert(kSoftFrameBytes == kLongFrameBytes);
  std::array<std::uint8_t, kLongFrameBytes> bytes = soft.bytes;
  const std::vector<ByteHint> hints =
      m_predict ? m_predictor.Predict(soft.syncSample) : std::vector<ByteHint>{};
  const int ecc = CorrectFrame(bytes, soft.reliability, hints);
  if (ecc >= 0) m_predictor.Learn(bytes, FrameEndOfType(bytes[kFrameTypePos]), soft.syncSample);
  RawFrame frame{};
  std::copy_n(bytes.begin(), kReceivedFrameSize, frame.begin());
  Decode(frame, &soft, ecc);
}

void ReceiveChain::Decode(const RawFrame& frame, const SoftFrame* soft, int ecc) {
  FrameChecks checks = DecodeFrame(frame, m_state, m_log, m_ctx);
  if (soft != nullptr) {
    checks.quality = FrameQuality{ecc, soft->snrDb, soft->fErrorHz};
  }
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
