#pragma once

#include "decoder/FrameDecoder.h"

namespace windlark {

// Everything learned about the previous sonde is forgotten and its panels emptied.
void NewSonde(SondeState& state, TelemetryLog& log, DecodeContext& ctx);

// Empties the log and the flight's extremes.
void ClearLog(SondeState& state, TelemetryLog& log, DecodeContext& ctx);

// The reset made when the main window is created: a new sonde plus the fresh extremes.
void ResetDecoder(SondeState& state, TelemetryLog& log, DecodeContext& ctx);

// The design-time texts of the status bars and read-outs, before any reset.
void ShowInitialPanels(TelemetryView& view);

}  // namespace windlark
