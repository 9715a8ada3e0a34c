#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "base/LampBank.h"
#include "base/RawFrame.h"
#include "xdata/InstrumentChain.h"

namespace windlark {

// What the dispatcher and the instrument decoders work on besides the frame.
struct XdataContext {
  InstrumentChain& chain;
  LampBank& lamps;
};

// The panel of the kind at the position, as the dispatcher has made sure of. A decoder called
// without one writes into `scratch`, so it still fills the record.
InstrumentPanel& PanelAt(XdataContext& ctx, int position, InstrumentKind kind,
                         std::unique_ptr<InstrumentPanel>& scratch);

// The instrument text of the auxiliary block at p: character 1 is frame byte p + 3. Fields are
// read at fixed positions, so the view runs on over the following frame bytes, up to the end of
// the frame and never past it.
std::string_view InstrumentText(const RawFrame& frame, int p);

struct HexField {
  bool ok = false;
  // The whole field, or on failure the number formed by the valid digits before the first bad one.
  std::int64_t value = 0;
};

// The `count` characters from 1-based position `first` as one hexadecimal number. A character
// past the end of the text is a bad character, so a field reaching past the frame fails.
HexField ParseHexField(std::string_view text, int first, int count);

// The field's value, or 0 when it fails.
std::int64_t HexOrZero(std::string_view text, int first, int count);

// Up to `count` characters from `first` as received, for display: the text ends at the end of the
// frame (and at a zero byte when `stopAtZero`), bytes that are not printable ASCII show as "?".
std::string TextField(std::string_view text, int first, int count, bool stopAtZero = true);

// "0x" and two upper-case hexadecimal digits of the low byte.
std::string HexId(std::int64_t id);

// Fixed-point value with `decimals` digits and a unit suffix; empty for a value that is not finite.
std::string FormatValue(double value, int decimals, std::string_view unit = {});

}  // namespace windlark
