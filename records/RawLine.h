#pragma once

#include <string>

#include "base/RawFrame.h"

namespace windlark {

// The raw file's line format, written and read here alone.

// One raw-file line: bytes 0..469 as two upper-case hex digits and a space each (no line end).
std::string RawLine(const RawFrame& frame);

// Parses the hex bytes of one raw line into `frame` from `offset`: the characters at 3i and
// 3i + 1 form byte i. False, leaving `frame` untouched, if a pair is not hexadecimal.
bool ParseRawLine(const std::string& line, RawFrame& frame, int offset);

}  // namespace windlark
