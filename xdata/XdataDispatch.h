#pragma once

#include "base/RawFrame.h"
#include "xdata/XdataRecord.h"
#include "xdata/XdataText.h"

namespace windlark {

// The kind of an instrument id: 5, 8, 25 or 63 for the known instruments, else Unknown.
InstrumentKind KindOf(std::int64_t id);

// One auxiliary block that passed its CRC (length n at frame position p): finds the instrument
// and its chain position, makes sure the position holds a panel of that kind, marks it alive and
// runs the instrument's decoder. A block without a usable id or position is dropped silently.
void DispatchXdata(const RawFrame& frame, XdataRecord& record, int n, int p, XdataContext& ctx);

// An instrument of unrecognised kind: its id and position, and the raw text as a memo line.
void DecodeUnknown(int position, const RawFrame& frame, int p, int n, XdataContext& ctx);

}  // namespace windlark
