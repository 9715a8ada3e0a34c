#pragma once

#include <cstdint>
#include <optional>

#include "base/RawFrame.h"
#include "xdata/XdataRecord.h"
#include "xdata/XdataText.h"

namespace windlark {

// PT100 resistance (Ω) from the measurement count M and the reference counts H and L; none when
// H = L.
std::optional<double> SkydewPt100Resistance(const SkydewCoefficients& coefficients, std::int32_t m,
                                            std::int32_t h, std::int32_t l);
// Mirror temperature (°C) from the PT100 resistance.
double SkydewMirrorTemperature(const SkydewCoefficients& coefficients, double resistance);
// Temperature (°C) of a thermistor count against the divider's series value (43 heat sink,
// 12 board); none for a count without a logarithm.
std::optional<double> SkydewThermistorTemperature(std::int64_t count, double series);

// A SKYDEW hygrometer block.
void DecodeSkydew(int position, const RawFrame& frame, int p, int n, XdataRecord& record,
                  XdataContext& ctx);

}  // namespace windlark
