#include "xdata/XdataText.h"

#include <cmath>

#include "base/Format.h"
#include "base/Hex.h"

namespace windlark {

InstrumentPanel& PanelAt(XdataContext& ctx, int position, InstrumentKind kind,
                         std::unique_ptr<InstrumentPanel>& scratch) {
  InstrumentPanel* panel = ctx.chain.Panel(position);
  if (panel != nullptr && panel->Kind() == kind) return *panel;
  scratch = std::make_unique<InstrumentPanel>(position, kind);
  return *scratch;
}

std::string_view InstrumentText(const RawFrame& frame, int p) {
  const int start = p + 3;
  if (start < 0 || start >= kRawFrameSize) return {};
  return {reinterpret_cast<const char*>(frame.data()) + start,
          static_cast<std::size_t>(kRawFrameSize - start)};
}

HexField ParseHexField(std::string_view text, int first, int count) {
  HexField field;
  if (first < 1 || count <= 0) return field;
  for (int k = 0; k < count; ++k) {
    const std::size_t at = static_cast<std::size_t>(first - 1) + static_cast<std::size_t>(k);
    const int digit = at < text.size() ? HexDigit(text[at]) : -1;
    if (digit < 0) return field;
    field.value = field.value * 16 + digit;
  }
  field.ok = true;
  return field;
}

std::int64_t HexOrZero(std::string_view text, int first, int count) {
  const HexField field = ParseHexField(text, first, count);
  return field.ok ? field.value : 0;
}

std::string TextField(std::string_view text, int first, int count, bool stopAtZero) {
  std::string out;
  if (first < 1 || count <= 0) return out;
  for (int k = 0; k < count; ++k) {
    const std::size_t at = static_cast<std::size_t>(first - 1) + static_cast<std::size_t>(k);
    if (at >= text.size() || (stopAtZero && text[at] == '\0')) break;
    const char c = text[at];
    out.push_back(c >= ' ' && c <= '~' ? c : '?');
  }
  return out;
}

std::string HexId(std::int64_t id) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  const auto low = static_cast<std::size_t>(id & 0xFF);
  return {'0', 'x', kDigits[low >> 4U], kDigits[low & 0xFU]};
}

std::string FormatValue(double value, int decimals, std::string_view unit) {
  if (!std::isfinite(value)) return {};
  std::string text = FormatFixed(value, decimals);
  text += unit;
  return text;
}

}  // namespace windlark
