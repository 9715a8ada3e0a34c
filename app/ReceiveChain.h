#pragma once

#include <functional>
#include <string>

#include "decoder/FrameDecoder.h"
#include "decoder/FramePrediction.h"
#include "signal/AudioCapture.h"
#include "signal/BitSlicer.h"
#include "signal/Demodulator.h"
#include "signal/EnhancedDemodulator.h"
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
  // Frames of the enhanced chain: Reed-Solomon correction first.
  void OnSoftFrame(const SoftFrame& frame) override;
  // One tick of the 100 ms timer: dim the lamps, then take the buffer that is due.
  bool Tick(AudioCapture& capture);

  // Called after each frame has been decoded.
  void SetFrameObserver(FrameObserver observer) { m_observer = std::move(observer); }
  // Raw capture of every synchronised frame into `dir`; errors go to `onError`.
  void SetRawCapture(bool on, std::string dir, std::function<void(const std::string&)> onError);

  // The chain the audio goes through; Enhanced unless set otherwise.
  Demodulator& Slicer() { return m_selector; }
  void SetDemodulator(DemodulatorKind kind);
  DemodulatorKind Kind() const { return m_selector.kind; }
  // Whether the enhanced chain's correction uses what the last good frame foretells (on by
  // default; off only to measure what it brings).
  void SetPrediction(bool on) {
    m_predict = on;
    m_predictor.Reset();
  }
  SondeState& State() { return m_state; }
  TelemetryLog& Log() { return m_log; }
  LampBank& Lamps() { return m_lamps; }
  DecodeContext& Context() { return m_ctx; }
  InstrumentChain& Instruments() { return m_instruments; }

 private:
  // Hands the audio to the chain in use, so that the buffer cycle keeps one reference.
  struct Selector : Demodulator {
    Selector(BitSlicer& s, EnhancedDemodulator& e) : standard(s), enhanced(e) {}
    Demodulator& Active() {
      return kind == DemodulatorKind::Standard ? static_cast<Demodulator&>(standard) : enhanced;
    }
    const Demodulator& Active() const {
      return kind == DemodulatorKind::Standard ? static_cast<const Demodulator&>(standard)
                                               : enhanced;
    }
    void SliceBuffer(std::span<const std::uint8_t> buffer) override {
      Active().SliceBuffer(buffer);
    }
    void ResetToHunting() override { Active().ResetToHunting(); }
    void ResetDemodulator() override { Active().ResetDemodulator(); }
    void SetAdjust(bool adjust) override {
      standard.SetAdjust(adjust);
      enhanced.SetAdjust(adjust);
    }
    bool Adjust() const override { return Active().Adjust(); }
    std::int32_t PhaseShown() const override { return Active().PhaseShown(); }

    BitSlicer& standard;
    EnhancedDemodulator& enhanced;
    DemodulatorKind kind = DemodulatorKind::Enhanced;
  };

  void Decode(const RawFrame& frame, const SoftFrame* soft, int ecc);

  SondeState m_state;
  TelemetryLog m_log;
  InstrumentChain m_instruments;
  FramePredictor m_predictor;
  bool m_predict = true;
  LampBank m_lamps;
  DecodeContext m_ctx;
  FrameSynchroniser m_sync;
  BitSlicer m_slicer;
  EnhancedDemodulator m_enhanced;
  Selector m_selector{m_slicer, m_enhanced};
  FrameObserver m_observer;
  std::string m_rawDir;
  std::function<void(const std::string&)> m_onCaptureError;
};

}  // namespace windlark
