// What goes to and comes from SondeHub: the service's answers, and the telemetry objects of
// frames whose block CRCs the harness makes good. Every object must stay one JSON object with
// no raw control byte, whatever the frame held.
#include <algorithm>
#include <cstdlib>
#include <span>
#include <string_view>

#include "FuzzSupport.h"
#include "decoder/Crc.h"
#include "sondehub/ServiceReply.h"
#include "sondehub/Telemetry.h"

using namespace windlark;

namespace {

void FixWalk(RawFrame& frame, int p) {
  while (p + 4 <= kRawFrameSize) {
    const int length = frame[static_cast<std::size_t>(p) + 1];
    if (p + 4 + length > kRawFrameSize) break;
    const std::uint16_t crc = Crc16(std::span(frame).subspan(static_cast<std::size_t>(p) + 2,
                                                             static_cast<std::size_t>(length)));
    frame[static_cast<std::size_t>(p + 2 + length)] = static_cast<std::uint8_t>(crc & 0xFF);
    frame[static_cast<std::size_t>(p + 3 + length)] = static_cast<std::uint8_t>(crc >> 8);
    p += length + 4;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  ParseServiceMessages(std::string_view(reinterpret_cast<const char*>(data), size));

  fuzz::Decoder decoder;
  SondeHubStation station;
  station.callsign = "N0CALL";
  station.antenna =
      std::string(reinterpret_cast<const char*>(data), std::min<std::size_t>(size, 8));
  for (int frames = 0; size > 0 && frames < 8; ++frames) {
    RawFrame frame{};
    const std::size_t take = std::min<std::size_t>(size, kReceivedFrameSize);
    std::copy_n(data, take, frame.begin());
    data += take;
    size -= take;
    FixWalk(frame, 57);
    const FrameChecks checks = DecodeFrame(frame, decoder.state, decoder.log, decoder.ctx);
    const TelemetryResult result = TelemetryObject(decoder.state, checks, frame, station, {});
    if (result.skip != TelemetrySkip::None) continue;
    const std::string& json = result.json;
    if (json.size() < 2 || json.front() != '{' || json.back() != '}') std::abort();
    for (const char c : json) {
      if (static_cast<unsigned char>(c) < 0x20) std::abort();
    }
  }
  return 0;
}
