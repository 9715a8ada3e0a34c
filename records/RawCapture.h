#pragma once

#include <ctime>
#include <string>
#include <string_view>

#include "base/RawFrame.h"
#include "base/TelemetryView.h"
#include "decoder/SondeState.h"
#include "records/RawLine.h"

namespace windlark {

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
