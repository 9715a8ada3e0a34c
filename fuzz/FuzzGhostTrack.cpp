// The KML ghost-track reader.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "records/GhostTrack.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  windlark::ParseGhostTrackKml(std::string_view(reinterpret_cast<const char*>(data), size));
  windlark::SplitCoordinateItems(std::string_view(reinterpret_cast<const char*>(data), size));
  return 0;
}
