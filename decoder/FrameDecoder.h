#pragma once

#include <array>
#include <optional>
#include <string_view>
#include <vector>

#include "base/LampBank.h"
#include "base/RawFrame.h"
#include "base/TelemetryView.h"
#include "decoder/BlockWalk.h"
#include "decoder/Geodesy.h"
#include "decoder/SondeState.h"
#include "decoder/TelemetryLog.h"

namespace windlark {

class InstrumentChain;

// What the APRS-IS object report of a frame carries, in the report's parameter order.
struct ObjectReport {
  std::string sondeId;
  int year = 0;
  int month = 0;
  int day = 0;
  int hour = 0;
  int minute = 0;
  int second = 0;
  double latitude = 0;
  double longitude = 0;
  double altitude = 0;
  double windDirection = 0;
  double horizontalSpeed = 0;
  double verticalSpeed = 0;
  int frequencyKHz = 0;
  int pressureSource = -1;
  int killState = -1;
  int killTime = 0;
  std::array<std::uint8_t, 5> auxPresent{};
};

// Side effects in the middle of a frame that belong to other subsystems (map, rotor, auxiliary
// window, diagrams, APRS, position output), called at their fixed points of the frame. The
// window implements them; the defaults do nothing.
class DecoderHooks {
 public:
  virtual ~DecoderHooks() = default;
  // A new sonde was recognised: default zoom, empty map track, "Open Auxiliary Panel" off,
  // diagrams cleared.
  virtual void OnNewSonde() {}
  // A good auxiliary-data block arrived: the "Open Auxiliary Panel" button becomes usable.
  virtual void EnableAuxiliaryPanel() {}
  // A new sonde position for the map (which also decides on automatic centring). `climb` is
  // 0 while unknown, -1 descending, +1 otherwise.
  virtual void UpdateSonde(std::string_view /*speedText*/, int /*climb*/, double /*altitude*/,
                           double /*mapX*/, double /*mapY*/) {}
  // New bearing and elevation from home, rounded to whole degrees, for the antenna rotor.
  virtual void TrackTo(int /*azimuth*/, int /*elevation*/) {}
  // A log entry was appended (the diagrams plot it when showing).
  virtual void PlotPoint(const TelemetryPoint& /*point*/) {}
  virtual bool AprsConnected() const { return false; }
  virtual void QueueObjectReport(const ObjectReport& /*report*/) {}
  virtual void WritePositionOut() {}
};

// The settings file's unit numbers; a value outside them shows no wind speed at all.
enum class SpeedUnit : int { MetresPerSecond = 0, KilometresPerHour = 1, Knots = 2 };

// Settings the decoder reads.
struct DecoderSettings {
  int defaultZoom = 12;
  // The battery and tracking read-outs follow the user's locale; everything else uses ".".
  char localeDecimalSeparator = '.';
  SpeedUnit windSpeedUnit = SpeedUnit::MetresPerSecond;
  SpeedUnit verticalSpeedUnit = SpeedUnit::MetresPerSecond;  // other values show m/s
};

struct DecodeContext {
  TelemetryView& view;
  LampBank& lamps;
  DecoderHooks& hooks;
  DecoderSettings settings{};
  HomePosition home{};
  // The auxiliary instruments' chain; without one, auxiliary blocks are only checked.
  InstrumentChain* instruments = nullptr;
  // The input as status-bar panel 1 names it; the events log quotes it for a new sonde.
  std::string inputSource = "Input source: None";
};

// Shows `text` ("Input source: …") in status-bar panel 1 and keeps it for the events log.
void ShowInputSource(DecodeContext& ctx, std::string text);

// What the enhanced receive chain measured and corrected of a frame.
struct FrameQuality {
  int ecc = 0;  // bytes Reed-Solomon corrected; -1: not correctable, blocks checked as received
  double snrDb = 0.0;
  double fErrorHz = 0.0;
};

// The checks of one frame, for callers that report them (the command line).
struct FrameChecks {
  FrameLayout layout = FrameLayout::Classic;
  bool status = false;
  bool ptu = false;
  bool gpsTime = false;
  bool gpsPosition = false;
  bool gnssSatellites = false;  // the current layout's satellite block
  struct AuxBlock {
    int position = 0;
    int length = 0;
    bool crcOk = false;
    std::string text;  // the instrument text of a block that was dispatched, else empty
  };
  std::vector<AuxBlock> aux;
  // Values this frame produced (not ones kept from earlier frames).
  bool temperature = false;
  bool pressure = false;
  FrameRecord record;                   // what the log keeps of this frame
  std::optional<FrameQuality> quality;  // enhanced chain only
};

// Finds the blocks of a frame (both layouts), checks each by its CRC and decodes those that
// pass, in the fixed order: status, GPS time, GPS position, PTU, auxiliary data, log, reports.
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
