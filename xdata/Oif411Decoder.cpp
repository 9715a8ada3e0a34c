#include "xdata/Oif411Decoder.h"

#include "base/Format.h"

namespace windlark {

namespace {

void DecodeMeasurement(std::string_view text, int position, XdataRecord& record,
                       InstrumentPanel& panel) {
  // A failed field keeps the digits read before the bad character.
  panel.Set(Oif411Row::InstrType, HexId(ParseHexField(text, 1, 2).value));
  panel.Set(Oif411Row::InstNumber, FormatInt(position));

  // Sign and magnitude: bit 15 is the sign.
  const auto rawTemperature = ParseHexField(text, 5, 4).value;
  const double temperature =
      static_cast<double>(rawTemperature > 32767 ? -(rawTemperature - 32768) : rawTemperature) *
      0.01;
  record.ozonePumpTemperature = temperature;
  panel.Set(Oif411Row::PumpTemp, FormatValue(temperature, 2, " °C"));

  const double current = static_cast<double>(ParseHexField(text, 9, 5).value) * 0.0001;
  record.ozoneCurrent = current;
  panel.Set(Oif411Row::Current, FormatValue(current, 3, " uA"));

  const double battery = static_cast<double>(ParseHexField(text, 14, 2).value) * 0.1;
  record.ozoneBatteryVoltage = battery;
  panel.Set(Oif411Row::Battery, FormatValue(battery, 1, " V"));

  const auto pumpCurrent = ParseHexField(text, 16, 3).value;
  record.ozonePumpCurrent = static_cast<double>(pumpCurrent);
  panel.Set(Oif411Row::PumpCurrent, FormatInt(pumpCurrent, 3) + " mA");

  const double external = static_cast<double>(ParseHexField(text, 19, 2).value) * 0.1;
  record.ozoneExtVoltage = external;
  panel.Set(Oif411Row::ExtVoltage, FormatValue(external, 1, " V"));
}

void DecodeIdentification(std::string_view text, int position, InstrumentPanel& panel) {
  panel.Set(Oif411Row::InstrType, FormatInt(ParseHexField(text, 1, 2).value));
  panel.Set(Oif411Row::InstNumber, FormatInt(position));
  panel.Set(Oif411Row::Serial, TextField(text, 5, 8));
  const std::string diagnostics = TextField(text, 13, 4);
  panel.Set(Oif411Row::Status, diagnostics);
  panel.Set(Oif411Row::StatusLine, std::string(Oif411StatusLine(diagnostics)));
  const double version = static_cast<double>(ParseHexField(text, 17, 4).value) / 100;
  panel.Set(Oif411Row::SwVersion, FormatValue(version, 1));
}

}  // namespace

std::string_view Oif411StatusLine(std::string_view diagnostics) {
  // Only four decimal digits are a code; anything else is an error the table does not know.
  int code = -1;
  if (diagnostics.size() == 4) {
    code = 0;
    for (char c : diagnostics) {
      if (c < '0' || c > '9') {
        code = -1;
        break;
      }
      code = code * 10 + (c - '0');
    }
  }
  switch (code) {
    case 0:
      return "Ok";
    case 4:
      return "Fail:O3 pump temp under 5°C";
    case 400:
      return "Fail:No Battery voltage or low";
    case 404:
      return "Fails:Low Batt V + Low pump temp";
    default:
      return "Fail:Multiple or unknown error";
  }
}

void DecodeOif411(int position, const RawFrame& frame, int p, int n, XdataRecord& record,
                  XdataContext& ctx) {
  record.ozonePresent = 1;
  ctx.lamps.LightLamp(Lamp::Ozone);
  std::unique_ptr<InstrumentPanel> scratch;
  InstrumentPanel& panel = PanelAt(ctx, position, InstrumentKind::Oif411, scratch);
  const std::string_view text = InstrumentText(frame, p);
  if (n == kOif411MeasurementLength) {
    DecodeMeasurement(text, position, record, panel);
  } else if (n == kOif411IdentificationLength) {
    DecodeIdentification(text, position, panel);
  }
}

}  // namespace windlark
