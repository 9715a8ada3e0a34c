#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "gps/Nmea.h"

namespace windlark {

// The request that turns on gpsd's JSON report stream.
inline constexpr std::string_view kGpsdWatch = "?WATCH={\"enable\":true,\"json\":true};\r\n";

// What one line of gpsd's JSON stream says about the station's position.
struct GpsdReport {
  enum class Kind { Other, Position, Sky };
  Kind kind = Kind::Other;
  // Position (TPV): the fix in the terms of a GGA sentence; mode 2 or 3 is a fix.
  GgaFix fix;
  // Sky (SKY): satellites used in the solution.
  std::optional<int> satellitesUsed;
};

// Reads one JSON object of the watch stream. A line that is not a JSON object, or one of
// another class, is Kind::Other; values missing or of the wrong type are not valid.
GpsdReport ParseGpsdLine(std::string_view line);

// The fix quality a TPV's mode and status stand for (GGA's numbering).
int GpsdFixQuality(int mode, std::optional<int> status);

}  // namespace windlark
