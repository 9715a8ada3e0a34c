// APRS-IS lines as the client receives them: the server's greeting and login verdict, object
// reports with the tracking panel's texts, and the sonde list they are merged into.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "aprs/AprsLines.h"
#include "aprs/AprsObject.h"
#include "aprs/AprsSondeList.h"

using namespace windlark;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  AprsSondeList list;
  list.SetTimeOfDay(12 * 3600);
  HomePosition home;
  home.latitude = 48.1;
  home.longitude = 11.6;
  home.altitude = 520;
  while (!text.empty()) {
    const auto end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    (void)GreetingAccepted(line);
    (void)JudgeLoginLine(line);
    // What reaches a file name or an outgoing line stays within the allowed characters.
    for (const char c : SanitiseAirText(line)) {
      const bool allowed =
          (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-';
      if (!allowed) std::abort();
    }
    if (!IsSondeObject(line)) continue;
    const auto report = ParseObjectLine(line);
    if (!report) continue;
    if (report->sonde.name.size() > 9) std::abort();
    (void)TrackingTexts(*report, home, ',');
    if (AcceptedAtTime(report->sonde, list.TimeOfDay())) list.MergeSonde(report->sonde);
  }
  list.AgeSondes();
  (void)list.Snapshot();
  return 0;
}
