#pragma once

#include "base/RawFrame.h"
#include "xdata/XdataRecord.h"
#include "xdata/XdataText.h"

namespace windlark {

// A CFH hygrometer block: a data packet, or a configuration packet of subtype FA..FF.
void DecodeCfh(int position, const RawFrame& frame, int p, int n, XdataRecord& record,
               XdataContext& ctx);

}  // namespace windlark
