#include "decoder/FrameDecoder.h"

#include <algorithm>

#include "decoder/Crc.h"
#include "decoder/FlightState.h"
#include "decoder/GpsDecoder.h"
#include "decoder/Ptu.h"
#include "decoder/StatusDecoder.h"
#include "xdata/XdataDispatch.h"

namespace windlark {

void ShowInputSource(DecodeContext& ctx, std::string text) {
  ctx.view.SetStatusPanel(1, 1, text);
  ctx.inputSource = std::move(text);
}

namespace {

void ScanAuxBlocks(const RawFrame& frame, int start, FrameChecks& checks, DecodeContext& ctx,
                   SondeState& state, FrameRecord& record) {
  int p = start;
  for (;;) {
    // A chain can end exactly at the buffer's end; there is no id (or length) byte past it.
    if (p + 1 >= kRawFrameSize || frame[static_cast<std::size_t>(p)] != kXdataBlockId) break;
    const int n = frame[static_cast<std::size_t>(p) + 1];
    if (p + n + 3 >= kRawFrameSize) break;
    const bool ok = BlockCrcOk(frame, n, p + 2);
    checks.aux.push_back({p, n, ok, {}});
    if (ok && frame[static_cast<std::size_t>(p) + 3] != 0) {
      // The instrument text: the block's data after its first byte.
      const auto first = frame.begin() + p + 3;
      checks.aux.back().text.assign(first, first + std::max(0, n - 1));
      ctx.hooks.EnableAuxiliaryPanel();
      state.noDataCounter = 0;
      ctx.lamps.LightLamp(Lamp::Xdata);
      if (ctx.instruments != nullptr) {
        XdataContext xdata{*ctx.instruments, ctx.lamps};
        DispatchXdata(frame, record.xdata, n, p, xdata);
      }
    }
    p = p + n + 4;
  }
}

// Data start of a block that passed its CRC. A classic frame is read at its fixed map first,
// exactly as it always was, and only then wherever the walk found the block (a frame whose
// blocks have moved). A current frame is read where the walk found the block, and where the
// walk lost its way at the layout's fixed map.
std::optional<std::size_t> Locate(const RawFrame& frame, const BlockWalk& walk, std::uint8_t id,
                                  int length) {
  const auto fixed = FixedDataStart(walk.layout, id);
  const bool fixedOk = fixed && BlockCrcOk(frame, length, *fixed);
  const auto found = FindBlock(walk, id, length);
  std::optional<int> at;
  if (walk.layout == FrameLayout::Classic) {
    at = fixedOk ? fixed : found;
  } else {
    at = found ? found : (fixedOk ? fixed : std::nullopt);
  }
  if (!at) return std::nullopt;
  return static_cast<std::size_t>(*at);
}

// The start of the auxiliary chain: the walk's first 0x7E block, else where the layout's fixed
// blocks end (the classic chain has always been looked for there).
int AuxStart(const BlockWalk& walk) {
  if (walk.layout == FrameLayout::Current) {
    for (const FoundBlock& block : walk.blocks) {
      if (block.id == kXdataBlockId) return block.position;
    }
  }
  return FixedAuxStart(walk.layout);
}

}  // namespace

FrameChecks DecodeFrame(const RawFrame& frame, SondeState& state, TelemetryLog& log,
                        DecodeContext& ctx) {
  FrameChecks checks;
  state.statusValid = false;
  state.gpsTimeValid = false;
  state.positionValid = false;
  state.ptuValid = false;
  state.temperatureDecoded = false;
  state.pressureDecoded = false;
  FrameRecord record;

  const BlockWalk walk = WalkBlocks(frame);
  checks.layout = walk.layout;
  const auto status = Locate(frame, walk, kStatusBlockId, kStatusBlockLength);
  const auto gpsTime = Locate(frame, walk, kGpsTimeBlockId, kGpsTimeBlockLength);
  const auto gpsPosition = Locate(frame, walk, kGpsPositionBlockId, kGpsPositionBlockLength);
  const auto ptu = Locate(frame, walk, kPtuBlockId, kPtuBlockLength);
  // The current layout's one block for time and position, and its satellite block.
  const auto gnss = Locate(frame, walk, kGnssPositionBlockId, kGnssPositionBlockLength);
  // Its satellite count stands in for the classic position block's own.
  const auto gnssSatellites =
      gpsPosition ? std::nullopt
                  : Locate(frame, walk, kGnssSatellitesBlockId, kGnssSatellitesBlockLength);

  if (status) {
    checks.status = true;
    state.statusValid = true;
    state.noDataCounter = 0;
    ctx.lamps.LightLamp(Lamp::Header);
    DecodeStatus(frame, *status, state, log, ctx);
    record.statusValid = 1;
    record.batteryVoltage = state.batteryVoltage;
  }

  if (gpsTime || gnss) {
    checks.gpsTime = true;
    state.noDataCounter = 0;
    state.gpsTimeValid = true;
    ctx.lamps.LightLamp(Lamp::Gps1);
    if (gpsTime) {
      DecodeGpsTime(frame, *gpsTime, state, ctx);
    } else {
      DecodeGnssTime(frame, *gnss, state, ctx);
    }
    record.gpsTimeValid = 1;
  }
  if (gnssSatellites) {
    // The satellite table and the count the position needs, as the classic time block's.
    checks.gnssSatellites = true;
    state.noDataCounter = 0;
    ctx.lamps.LightLamp(Lamp::Gps1);
    DecodeGnssSatellites(frame, *gnssSatellites, state, ctx);
  }

  if (gpsPosition || gnss) {
    checks.gpsPosition = true;
    state.positionValid = true;
    state.noDataCounter = 0;
    ctx.lamps.LightLamp(Lamp::Gps3);
    if (gpsPosition) {
      DecodeGpsPosition(frame, *gpsPosition, state, log, record, ctx);
    } else {
      DecodeGnssPosition(frame, *gnss, state, log, record, ctx);
    }
  }

  if (ptu) {
    checks.ptu = true;
    state.ptuValid = true;
    state.noDataCounter = 0;
    ctx.lamps.LightLamp(Lamp::Ptu);
    ConvertPtu(frame, *ptu, state, record, ctx);
  }

  ScanAuxBlocks(frame, AuxStart(walk), checks, ctx, state, record);
  if (state.positionValid) AppendPoint(state, log, record, ctx);
  SendReports(state, ctx);
  checks.temperature = state.temperatureDecoded;
  checks.pressure = state.pressureDecoded;
  checks.record = record;
  return checks;
}

}  // namespace windlark
