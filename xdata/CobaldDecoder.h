#pragma once

#include <cstdint>

#include "base/RawFrame.h"
#include "xdata/XdataRecord.h"
#include "xdata/XdataText.h"

namespace windlark {

// Two's complement of a `bits`-wide count.
std::int32_t SignExtend(std::int64_t value, int bits);

// A COBALD backscatter sonde block.
void DecodeCobald(int position, const RawFrame& frame, int p, int n, XdataRecord& record,
                  XdataContext& ctx);

}  // namespace windlark
