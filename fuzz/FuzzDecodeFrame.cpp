// The frame decoder on frames whose block CRCs the harness makes good, so the status,
// calibration, GPS, PTU and XDATA decoders are reached. Each input is a short sequence of
// frames decoded in order (calibration fragments and the flight state build up across frames).
#include <algorithm>
#include <span>

#include "FuzzSupport.h"
#include "decoder/Crc.h"

using namespace windlark;

namespace {

void PutCrc(RawFrame& frame, int start, int length) {
  if (start < 0 || length < 0 || start + length + 2 > kRawFrameSize) return;
  const std::uint16_t crc = Crc16(
      std::span(frame).subspan(static_cast<std::size_t>(start), static_cast<std::size_t>(length)));
  frame[static_cast<std::size_t>(start + length)] = static_cast<std::uint8_t>(crc & 0xFF);
  frame[static_cast<std::size_t>(start + length + 1)] = static_cast<std::uint8_t>(crc >> 8);
}

// Makes the CRCs good along the block walk [id][length][data][CRC] from `p`.
void FixWalk(RawFrame& frame, int p) {
  while (p + 2 <= kRawFrameSize) {
    const int length = frame[static_cast<std::size_t>(p) + 1];
    if (p + 4 + length > kRawFrameSize) break;
    PutCrc(frame, p + 2, length);
    p += length + 4;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Decoder decoder;
  // Per frame: one control byte, then up to 500 frame bytes.
  for (int frames = 0; size > 0 && frames < 16; ++frames) {
    const std::uint8_t control = data[0];
    ++data;
    --size;
    RawFrame frame{};
    const std::size_t take = std::min(size, frame.size());
    std::copy(data, data + take, frame.begin());
    data += take;
    size -= take;
    // The fixed blocks, each on its own bit, so frames with some blocks failing occur too.
    if (control & 0x01) PutCrc(frame, 59, 40);
    if (control & 0x02) PutCrc(frame, 103, 42);
    if (control & 0x04) PutCrc(frame, 149, 30);
    if (control & 0x08) PutCrc(frame, 276, 21);
    if (control & 0x10) FixWalk(frame, 299);   // the XDATA chain
    if (control & 0x20) FixWalk(frame, 0x39);  // every block from the first
    DecodeFrame(frame, decoder.state, decoder.log, decoder.ctx);
  }
  return 0;
}
