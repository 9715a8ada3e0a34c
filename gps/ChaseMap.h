#pragma once

#include <string>

#include "decoder/SondeState.h"

namespace windlark {

// The chase map's radiosonde report: one JSON "PAYLOAD_SUMMARY" datagram for the current
// frame. Members whose block did not arrive in this frame (or whose calibration fragment has
// not been seen yet) are left out.
std::string ChaseMapDatagram(const SondeState& state);

// "HOST:PORT" with a port 1..65535; false for anything else.
bool ParseHostPort(const std::string& text, std::string& host, int& port);

}  // namespace windlark
