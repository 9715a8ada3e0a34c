// Each XDATA instrument decoder on one block, and the dispatcher in front of them.
#include <algorithm>

#include "FuzzSupport.h"
#include "xdata/CfhDecoder.h"
#include "xdata/CobaldDecoder.h"
#include "xdata/Oif411Decoder.h"
#include "xdata/SkydewDecoder.h"
#include "xdata/XdataDispatch.h"

using namespace windlark;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const int which = data[0] % 6;
  const int position = data[1] % 12;
  data += 2;
  size -= 2;
  // The block as the frame holds it: id, length, data, then the CRC bytes (unchecked here).
  constexpr int kStart = 299;
  RawFrame frame{};
  const int n = static_cast<int>(std::min<std::size_t>(size, kRawFrameSize - kStart - 4));
  frame[kStart] = 0x7E;
  frame[kStart + 1] = static_cast<std::uint8_t>(n);
  std::copy(data, data + n, frame.begin() + kStart + 2);

  PanelRecorder view;
  LampBank lamps(view);
  InstrumentChain chain;
  XdataContext ctx{chain, lamps};
  XdataRecord record;
  // Twice: the second block meets the state the first one left.
  for (int pass = 0; pass < 2; ++pass) {
    switch (which) {
      case 0:
        DispatchXdata(frame, record, n, kStart, ctx);
        break;
      case 1:
        DecodeOif411(position, frame, kStart, n, record, ctx);
        break;
      case 2:
        DecodeCfh(position, frame, kStart, n, record, ctx);
        break;
      case 3:
        DecodeCobald(position, frame, kStart, n, record, ctx);
        break;
      case 4:
        DecodeSkydew(position, frame, kStart, n, record, ctx);
        break;
      default:
        DecodeUnknown(position, frame, kStart, n, ctx);
        break;
    }
  }
  return 0;
}
