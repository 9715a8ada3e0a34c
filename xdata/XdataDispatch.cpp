#include "xdata/XdataDispatch.h"

#include "base/Format.h"
#include "xdata/CfhDecoder.h"
#include "xdata/CobaldDecoder.h"
#include "xdata/Oif411Decoder.h"
#include "xdata/SkydewDecoder.h"

namespace windlark {

InstrumentKind KindOf(std::int64_t id) {
  switch (id) {
    case 0x05:
      return InstrumentKind::Oif411;
    case 0x08:
      return InstrumentKind::Cfh;
    case 0x19:
      return InstrumentKind::Cobald;
    case 0x3F:
      return InstrumentKind::Skydew;
    default:
      return InstrumentKind::Unknown;
  }
}

void DispatchXdata(const RawFrame& frame, XdataRecord& record, int n, int p, XdataContext& ctx) {
  const std::string_view text = InstrumentText(frame, p);
  const HexField id = ParseHexField(text, 1, 2);
  if (!id.ok) return;
  const HexField chainPosition = ParseHexField(text, 3, 2);
  if (!chainPosition.ok || chainPosition.value < kFirstChainPosition ||
      chainPosition.value > kLastChainPosition)
    return;
  const auto position = static_cast<int>(chainPosition.value);
  const InstrumentKind kind = KindOf(id.value);

  InstrumentChain& chain = ctx.chain;
  // A panel of the same kind stays with everything it holds, also for a different unknown id.
  if (chain.Panel(position) == nullptr) {
    chain.CreatePanel(position, kind);
  } else if (chain.PanelKind(position) != kind) {
    chain.RemovePanel(position);
    chain.CreatePanel(position, kind);
  }
  chain.MarkSeen(position);

  switch (kind) {
    case InstrumentKind::Oif411:
      DecodeOif411(position, frame, p, n, record, ctx);
      break;
    case InstrumentKind::Cfh:
      DecodeCfh(position, frame, p, n, record, ctx);
      break;
    case InstrumentKind::Cobald:
      DecodeCobald(position, frame, p, n, record, ctx);
      break;
    case InstrumentKind::Skydew:
      DecodeSkydew(position, frame, p, n, record, ctx);
      break;
    case InstrumentKind::Unknown:
    case InstrumentKind::None:
      DecodeUnknown(position, frame, p, n, ctx);
      break;
  }
  chain.SetAuxPresent(kind);
  chain.NotifyChanged(position);
}

void DecodeUnknown(int position, const RawFrame& frame, int p, int n, XdataContext& ctx) {
  ctx.lamps.LightLamp(Lamp::Unknown);
  std::unique_ptr<InstrumentPanel> scratch;
  InstrumentPanel& panel = PanelAt(ctx, position, InstrumentKind::Unknown, scratch);
  const std::string_view text = InstrumentText(frame, p);
  panel.Set(UnknownRow::InstrType, HexId(ParseHexField(text, 1, 2).value));
  panel.Set(UnknownRow::InstNumber, FormatInt(position));
  // The whole text is kept, zero bytes included, so nothing after one is lost from view.
  panel.AppendMemo(n > 1 ? TextField(text, 1, n - 1, false) : std::string());
}

}  // namespace windlark
