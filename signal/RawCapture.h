#pragma once

#include <ctime>
#include <string>
#include <string_view>

#include "decoder/SondeState.h"
#include "decoder/TelemetryView.h"
#include "signal/RawFrame.h"

namespace windlark {

// One raw-file line: bytes 0..469 as two upper-case hex digits and a space each (no line end).
std::string RawLine(const RawFrame& frame);

// A sonde id from the air made safe as part of a file name: anything but letters, digits, '-'
// and '_' becomes '_', so no path separator, ".." or control character reaches the file system.
std::string SafeFileComponent(std::string_view id);

// "YYYY-MM-DD-HH" of the estimated launch: `when` minus the frame number in seconds plus one
// hour, in local time.
std::string LaunchTimeText(std::time_t when, int frameNumber);

// Appends the frame to the flight's raw file when raw capture is on, naming the file from the
// first frame with a valid status block. `now` is the local clock. Returns an error text for
// the window's error handler, or "" when all went well.
std::string CaptureFrame(const RawFrame& frame, SondeState& state, TelemetryView& view,
                         const std::string& rawDir, std::time_t now);

}  // namespace windlark
