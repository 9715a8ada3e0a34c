// The station GPS: NMEA sentences from a serial receiver and gpsd's JSON watch stream, one line
// at a time as the readers hand them on, with the texts the "GPS IN" window shows for a fix.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "gps/Gpsd.h"
#include "gps/Nmea.h"

using namespace windlark;

namespace {

void CheckFix(const GgaFix& fix) {
  const GpsInTexts texts = GpsInTextsOf(fix);
  if (fix.Usable() && (!texts.latitude || !texts.longitude)) std::abort();
  (void)FixName(fix.fixQuality);
  (void)LitLampColour(fix.fixQuality);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  while (!text.empty()) {
    const auto end = text.find('\n');
    const std::string_view line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    if (const auto fix = ParseGga(line)) CheckFix(*fix);
    const GpsdReport report = ParseGpsdLine(line);
    if (report.kind == GpsdReport::Kind::Position) CheckFix(report.fix);
  }
  return 0;
}
