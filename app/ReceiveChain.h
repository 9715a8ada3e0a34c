#pragma once

#include <functional>
#include <string>

#include "decoder/FrameDecoder.h"
#include "signal/AudioCapture.h"
#include "signal/BitSlicer.h"
#include "signal/FrameSynchroniser.h"
#include "xdata/InstrumentChain.h"

namespace windlark {

// The whole receive path behind one display: slicer, synchroniser, frame decoder and the
// decoder's memory. The desktop window and the command line own one each.
class ReceiveChain : public FrameSink {
 public:
  using FrameObserver = std::function<void(const RawFrame&, const FrameChecks&)>;

  ReceiveChain(TelemetryView& view, DecoderHooks& hooks, DecoderSettings settings = {});

  void OnFrame(const RawFrame& frame) override;
  // One tick of the 100 ms timer: dim the lamps, then take the buffer that is due.
  bool Tick(AudioCapture& capture);

  // Called after each frame has been decoded.
  void SetFrameObserver(FrameObserver observer) { m_observer = std::move(observer); }
  // Raw capture of every synchronised frame into `dir`; errors go to `onError`.
  void SetRawCapture(bool on, std::string dir, std::function<void(const std::string&)> onError);

  BitSlicer& Slicer() { return m_slicer; }
  SondeState& State() { return m_state; }
  TelemetryLog& Log() { return m_log; }
  LampBank& Lamps() { return m_lamps; }
  DecodeContext& Context() { return m_ctx; }
  InstrumentChain& Instruments() { return m_instruments; }

 private:
  SondeState m_state;
  TelemetryLog m_log;
  InstrumentChain m_instruments;
  LampBank m_lamps;
  DecodeContext m_ctx;
  FrameSynchroniser m_sync;
  BitSlicer m_slicer;
  FrameObserver m_observer;
  std::string m_rawDir;
  std::function<void(const std::string&)> m_onCaptureError;
};

}  // namespace windlark
