#pragma once

#include <string>
#include <string_view>

#include "base/RawFrame.h"

namespace windlark {

// The raw file's line format, written and read here alone.

// One raw-file line: bytes 0..469 as two upper-case hex digits and a space each (no line end).
std::string RawLine(const RawFrame& frame);

// Parses the hex bytes of one raw line into `frame` from `offset`: the characters at 3i and
// 3i + 1 form byte i. False, leaving `frame` untouched, if a pair is not hexadecimal.
bool ParseRawLine(const std::string& line, RawFrame& frame, int offset);

// The frame logs of other RS41 decoders: one de-whitened frame per line as unbroken hex (either
// case, header first), optionally followed by a blank and a status tail such as "[OK]". Fills
// `frame` from byte 0 and zeroes the rest; bytes past the frame's size are dropped. False,
// leaving `frame` untouched, unless the line starts with at least 16 hex digits in pairs.
bool ParseHexFrameLine(std::string_view line, RawFrame& frame);

}  // namespace windlark
