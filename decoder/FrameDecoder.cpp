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

// Fixed blocks: data start and length; the CRC follows the data.
constexpr int kStatusStart = 59;
constexpr int kStatusLength = 40;
constexpr int kPtuStart = 103;
constexpr int kPtuLength = 42;
constexpr int kGpsTimeStart = 149;
constexpr int kGpsTimeLength = 30;
constexpr int kPositionStart = 276;
constexpr int kPositionLength = 21;
constexpr int kAuxStart = 299;
constexpr std::uint8_t kAuxBlockId = 0x7E;

void ScanAuxBlocks(const RawFrame& frame, FrameChecks& checks, DecodeContext& ctx,
                   SondeState& state, FrameRecord& record) {
  int p = kAuxStart;
  for (;;) {
    // A block that ended at the frame's last byte leaves no room for another's id and length.
    if (p + 1 >= kRawFrameSize || frame[static_cast<std::size_t>(p)] != kAuxBlockId) break;
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

  if (BlockCrcOk(frame, kStatusLength, kStatusStart)) {
    checks.status = true;
    state.statusValid = true;
    state.noDataCounter = 0;
    ctx.lamps.LightLamp(Lamp::Header);
    DecodeStatus(frame, state, log, ctx);
    record.statusValid = 1;
    record.batteryVoltage = state.batteryVoltage;
  }

  if (BlockCrcOk(frame, kGpsTimeLength, kGpsTimeStart)) {
    checks.gpsTime = true;
    state.noDataCounter = 0;
    state.gpsTimeValid = true;
    ctx.lamps.LightLamp(Lamp::Gps1);
    DecodeGpsTime(frame, state, ctx);
    record.gpsTimeValid = 1;
  }

  if (BlockCrcOk(frame, kPositionLength, kPositionStart)) {
    checks.gpsPosition = true;
    state.positionValid = true;
    state.noDataCounter = 0;
    ctx.lamps.LightLamp(Lamp::Gps3);
    DecodeGpsPosition(frame, state, log, record, ctx);
  }

  if (BlockCrcOk(frame, kPtuLength, kPtuStart)) {
    checks.ptu = true;
    state.ptuValid = true;
    state.noDataCounter = 0;
    ctx.lamps.LightLamp(Lamp::Ptu);
    ConvertPtu(frame, state, record, ctx);
  }

  ScanAuxBlocks(frame, checks, ctx, state, record);
  if (state.positionValid) AppendPoint(state, log, record, ctx);
  SendReports(state, ctx);
  checks.temperature = state.temperatureDecoded;
  checks.pressure = state.pressureDecoded;
  checks.record = record;
  return checks;
}

}  // namespace windlark
