#pragma once

#include "decoder/FrameDecoder.h"

namespace windlark {

// Everything learned about the previous sonde is forgotten and its panels emptied.
void NewSonde(SondeState& state, TelemetryLog& log, DecodeContext& ctx);

// Empties the log and the flight's extremes.
void ClearLog(SondeState& state, TelemetryLog& log, DecodeContext& ctx);

// The reset made when the main window is created: a new sonde plus the fresh extremes.
void ResetDecoder(SondeState& state, TelemetryLog& log, DecodeContext& ctx);

// Extremes, climb indicator, map and track count after a position with satellites.
void UpdateFlight(SondeState& state, TelemetryLog& log, DecodeContext& ctx);

// Range, bearing, elevation and slant range from home; the rotor follows.
void ShowHomeGeometry(SondeState& state, DecodeContext& ctx);

// One log entry for a frame whose position block passed.
void AppendPoint(const SondeState& state, TelemetryLog& log, const FrameRecord& record,
                 DecodeContext& ctx);

// The APRS-IS object report and the position output, each under its conditions.
void SendReports(const SondeState& state, DecodeContext& ctx);

// The design-time texts of the status bars and read-outs, before any reset.
void ShowInitialPanels(TelemetryView& view);

}  // namespace windlark
