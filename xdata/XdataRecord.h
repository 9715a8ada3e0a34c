#pragma once

namespace windlark {

// The instrument sections of a frame's log record, in log order: OIF411, COBALD, CFH, SKYDEW.
// Each begins with a presence flag; a section no block of the frame filled stays all zero.
struct XdataRecord {};

}  // namespace windlark
