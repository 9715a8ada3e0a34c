#pragma once

#include "decoder/FlightState.h"
#include "decoder/FrameDecoder.h"
#include "decoder/PanelRecorder.h"
#include "support/TestSignal.h"

namespace windlark::test {

// The decoder's memory and a recording display, reset as at window creation.
struct DecoderRig {
  PanelRecorder view;
  LampBank lamps{view};
  DecoderHooks hooks;
  DecodeContext ctx;
  SondeState state;
  TelemetryLog log;

  explicit DecoderRig(DecoderHooks* custom = nullptr)
      : ctx{view, lamps, custom != nullptr ? *custom : hooks, {}} {
    ShowInitialPanels(view);
    ResetDecoder(state, log, ctx);
  }
  FrameChecks Decode(const RawFrame& frame) { return DecodeFrame(frame, state, log, ctx); }
  FrameChecks Decode(const FrameSpec& frameSpec) {
    return Decode(ToRawFrame(BuildFrame(frameSpec)));
  }
  // A frame carrying fragment `index` with `bytes` at the given fragment offsets.
  FrameChecks Fragment(int index, std::initializer_list<std::pair<int, int>> bytes,
                       FrameSpec frameSpec = {}) {
    frameSpec.fragmentIndex = static_cast<std::uint8_t>(index);
    frameSpec.fragment.fill(0);
    for (auto [at, value] : bytes)
      frameSpec.fragment[static_cast<std::size_t>(at)] = static_cast<std::uint8_t>(value);
    return Decode(frameSpec);
  }
};

}  // namespace windlark::test
