#pragma once

#include <vector>

#include "decoder/LampBank.h"
#include "decoder/SondeState.h"
#include "decoder/TelemetryLog.h"
#include "decoder/TelemetryView.h"
#include "signal/RawFrame.h"

namespace windlark {

class InstrumentChain;

// Side effects in the middle of a frame that belong to other subsystems (map, auxiliary
// window, diagrams, APRS, position output). The window implements them; the defaults do nothing.
class DecoderHooks {
 public:
  virtual ~DecoderHooks() = default;
  // A new sonde was recognised: empty the map track, the auxiliary window and the diagrams.
  virtual void OnNewSonde() {}
  // A good auxiliary-data block arrived: the "Open Auxiliary Panel" button becomes usable.
  virtual void EnableAuxiliaryPanel() {}
};

// Settings the decoder reads.
struct DecoderSettings {
  int defaultZoom = 12;
  // The battery read-out follows the user's locale; everything else uses ".".
  char localeDecimalSeparator = '.';
};

struct DecodeContext {
  TelemetryView& view;
  LampBank& lamps;
  DecoderHooks& hooks;
  DecoderSettings settings{};
  // The auxiliary instruments' chain; without one, auxiliary blocks are only checked.
  InstrumentChain* instruments = nullptr;
};

// The checks of one frame, for callers that report them (the command line).
struct FrameChecks {
  bool status = false;
  bool ptu = false;
  bool gpsTime = false;
  bool gpsPosition = false;
  struct AuxBlock {
    int position = 0;
    int length = 0;
    bool crcOk = false;
  };
  std::vector<AuxBlock> aux;
};

// Checks each block of a frame by its CRC and decodes those that pass, in the fixed order.
FrameChecks DecodeFrame(const RawFrame& frame, SondeState& state, TelemetryLog& log,
                        DecodeContext& ctx);

// Little-endian readers over a frame or the calibration image.
template <typename Bytes>
unsigned ReadU16(const Bytes& bytes, std::size_t at) {
  return static_cast<unsigned>(bytes[at]) | static_cast<unsigned>(bytes[at + 1]) << 8U;
}
template <typename Bytes>
std::uint32_t ReadU32(const Bytes& bytes, std::size_t at) {
  return static_cast<std::uint32_t>(ReadU16(bytes, at)) |
         static_cast<std::uint32_t>(ReadU16(bytes, at + 2)) << 16U;
}

}  // namespace windlark
