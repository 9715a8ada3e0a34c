#include "xdata/CobaldDecoder.h"

#include "base/Format.h"

namespace windlark {

std::int32_t SignExtend(std::int64_t value, int bits) {
  const std::int64_t half = std::int64_t{1} << (bits - 1);
  const std::int64_t magnitude = value & (half - 1);
  return static_cast<std::int32_t>(value >= half ? magnitude - half : magnitude);
}

void DecodeCobald(int position, const RawFrame& frame, int p, [[maybe_unused]] int n,
                  XdataRecord& record, XdataContext& ctx) {
  record.cobaldPresent = 1;
  ctx.lamps.LightLamp(Lamp::Cobald);
  std::unique_ptr<InstrumentPanel> scratch;
  InstrumentPanel& panel = PanelAt(ctx, position, InstrumentKind::Cobald, scratch);
  const std::string_view text = InstrumentText(frame, p);
  panel.Set(CobaldRow::InstrType, HexId(ParseHexField(text, 1, 2).value));
  panel.Set(CobaldRow::InstNumber, FormatInt(position));

  record.cobaldSerial = static_cast<std::int32_t>(HexOrZero(text, 5, 3));
  panel.Set(CobaldRow::Serial, FormatInt(record.cobaldSerial));

  record.cobaldTemperature = SignExtend(HexOrZero(text, 8, 3), 12) / 8.0;
  panel.Set(CobaldRow::Temp, FormatValue(record.cobaldTemperature, 2, " °C"));

  record.cobaldBlueSignal = SignExtend(HexOrZero(text, 11, 6), 24);
  panel.Set(CobaldRow::SignalBlue, FormatInt(record.cobaldBlueSignal));
  record.cobaldRedSignal = SignExtend(HexOrZero(text, 17, 6), 24);
  panel.Set(CobaldRow::SignalRed, FormatInt(record.cobaldRedSignal));

  record.cobaldBlueMonitor = SignExtend(HexOrZero(text, 23, 4), 16);
  panel.Set(CobaldRow::MonitorBlue, FormatInt(record.cobaldBlueMonitor));
  record.cobaldRedMonitor = SignExtend(HexOrZero(text, 27, 4), 16);
  panel.Set(CobaldRow::MonitorRed, FormatInt(record.cobaldRedMonitor));
}

}  // namespace windlark
