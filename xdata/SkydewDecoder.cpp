#include "xdata/SkydewDecoder.h"

#include <cmath>

#include "base/Format.h"

namespace windlark {

namespace {

constexpr double kInverseTriplePoint = 0.0036608581051398447;  // 1 / 273.16

void ShowThermistor(std::optional<double> temperature, double& field, InstrumentPanel& panel,
                    SkydewRow row) {
  field = temperature.value_or(0);
  panel.Set(row, temperature ? FormatValue(*temperature, 3, " °C") : std::string());
}

void ApplyParameter(std::string_view text, InstrumentPanel& panel) {
  const std::int64_t value = HexOrZero(text, 33, 4);
  const HexField index = ParseHexField(text, 37, 2);
  switch (index.ok ? index.value : -1) {
    case 0:
      panel.Set(SkydewRow::Serial, FormatInt(value));
      break;
    case 1:
    case 2:
    case 3:
    case 4:
      panel.Coefficients().SetCoefficient(static_cast<int>(index.value),
                                          static_cast<std::int32_t>(value));
      break;
    case 5:
      panel.Set(SkydewRow::FwVersion, FormatInt(value));
      break;
    default:
      break;
  }
}

}  // namespace

std::optional<double> SkydewPt100Resistance(const SkydewCoefficients& coefficients, std::int32_t m,
                                            std::int32_t h, std::int32_t l) {
  if (h == l) return std::nullopt;
  const double p1 = (110000 - coefficients.K(1)) / 100000.0;
  const double p2 = (coefficients.K(2) - 10000) / 10000.0;
  // The instrument's own arithmetic: the product in 32-bit integers, the quotient in floating
  // point.
  const std::int32_t scaled = (m - l) * 100;
  const double ratio = static_cast<double>(scaled) / (h - l);
  return p1 * ratio + p2;
}

double SkydewMirrorTemperature(const SkydewCoefficients& coefficients, double resistance) {
  const double r = resistance;
  const double tp = -2.69887e-6 * r * r * r + 0.00179841 * r * r + 2.28094 * r - 243.379;
  const double p3 = (coefficients.K(3) - 10000) / 10000.0;
  const double p4 = (coefficients.K(4) - 10000) / 10000.0;
  return tp - (p3 * tp + p4);
}

std::optional<double> SkydewThermistorTemperature(std::int64_t count, double series) {
  const double volts = static_cast<double>(count) / 8192 * 3.3;
  const double x = series * volts / (3.3 - volts) / 6;
  if (!(x > 0) || !std::isfinite(x)) return std::nullopt;
  const double s = std::log10(x) / 3390 + kInverseTriplePoint;
  if (s == 0) return std::nullopt;
  // 276.16 is the instrument's own offset, not a typo of 273.16.
  const double temperature = 1 / s - 276.16;
  if (!std::isfinite(temperature)) return std::nullopt;
  return temperature;
}

void DecodeSkydew(int position, const RawFrame& frame, int p, [[maybe_unused]] int n,
                  XdataRecord& record, XdataContext& ctx) {
  record.skydewPresent = 1;
  ctx.lamps.LightLamp(Lamp::Skydew);
  std::unique_ptr<InstrumentPanel> scratch;
  InstrumentPanel& panel = PanelAt(ctx, position, InstrumentKind::Skydew, scratch);
  const std::string_view text = InstrumentText(frame, p);
  panel.Set(SkydewRow::InstrType, HexId(ParseHexField(text, 1, 2).value));
  panel.Set(SkydewRow::InstNumber, FormatInt(position));

  ApplyParameter(text, panel);

  const SkydewCoefficients& coefficients = panel.Coefficients();
  if (coefficients.Complete()) {
    const auto m = static_cast<std::int32_t>(HexOrZero(text, 5, 4));
    const auto h = static_cast<std::int32_t>(HexOrZero(text, 13, 4));
    const auto l = static_cast<std::int32_t>(HexOrZero(text, 17, 4));
    const std::optional<double> resistance = SkydewPt100Resistance(coefficients, m, h, l);
    if (resistance) {
      record.skydewPt100Resistance = *resistance;
      record.skydewMirrorTemperature = SkydewMirrorTemperature(coefficients, *resistance);
    }
    // Without a ratio (H = L) both rows empty rather than keep a stale reading.
    panel.Set(SkydewRow::Pt100Temp,
              resistance ? FormatValue(record.skydewPt100Resistance, 2, " Ohm") : std::string());
    panel.Set(SkydewRow::MirrorTemp,
              resistance ? FormatValue(record.skydewMirrorTemperature, 2, " °C") : std::string());
  }

  record.skydewScatteredLight = static_cast<double>(HexOrZero(text, 9, 4)) * 2.048 / 32768;
  panel.Set(SkydewRow::ScatteredLight, FormatValue(record.skydewScatteredLight, 4, " V"));

  record.skydewPeltierCurrent =
      (static_cast<double>(HexOrZero(text, 21, 4)) * 3.33 / 8192 - 1.5) / 0.5;
  panel.Set(SkydewRow::PeltierCurrent, FormatValue(record.skydewPeltierCurrent, 2, " A"));

  ShowThermistor(SkydewThermistorTemperature(HexOrZero(text, 25, 2), 43),
                 record.skydewHeatSinkTemperature, panel, SkydewRow::HeatSinkTemp);
  ShowThermistor(SkydewThermistorTemperature(HexOrZero(text, 27, 2), 12),
                 record.skydewBoardTemperature, panel, SkydewRow::BoardTemp);

  record.skydewBatteryVoltage = static_cast<double>(HexOrZero(text, 29, 2)) * 0.025;
  panel.Set(SkydewRow::Battery, FormatValue(record.skydewBatteryVoltage, 3, " V"));
}

}  // namespace windlark
