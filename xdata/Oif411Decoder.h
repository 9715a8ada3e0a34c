#pragma once

#include "base/RawFrame.h"
#include "xdata/XdataRecord.h"
#include "xdata/XdataText.h"

namespace windlark {

// Block lengths of the two OIF411 packets; other lengths only mark the frame.
inline constexpr int kOif411MeasurementLength = 21;
inline constexpr int kOif411IdentificationLength = 22;

// The status line for the four diagnostics characters.
std::string_view Oif411StatusLine(std::string_view diagnostics);

// An OIF411 ozone interface block: measurement or identification packet.
void DecodeOif411(int position, const RawFrame& frame, int p, int n, XdataRecord& record,
                  XdataContext& ctx);

}  // namespace windlark
