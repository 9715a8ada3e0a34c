#include "xdata/CfhDecoder.h"

#include "base/Format.h"

namespace windlark {

namespace {

constexpr std::int64_t kFirstConfigSubtype = 0xFA;
constexpr double kReferenceVoltage = 2.5;

double Scaled(std::string_view text, int first, int count, double factor) {
  return static_cast<double>(HexOrZero(text, first, count)) * factor;
}

double OpticsTemperature(std::string_view text) {
  return 53.23 - Scaled(text, 17, 4, 0.009765625);
}

double Battery(std::string_view text) {
  return Scaled(text, 21, 4, 0.029296875);
}

void DecodeData(std::string_view text, XdataRecord& record, InstrumentPanel& panel) {
  const double mirror = Scaled(text, 5, 6, 1.13248825073242e-5) - 140;
  record.cfhMirrorTemperature = mirror;
  panel.Set(CfhRow::MirrorTemp, FormatValue(mirror, 2, " °C"));

  const double detector = Scaled(text, 11, 6, 2.98023223876953e-7);
  record.cfhDetectorSignal = detector;
  panel.Set(CfhRow::DetectorSignal, FormatValue(detector, 5));

  const double optics = OpticsTemperature(text);
  record.cfhOpticsTemperature = optics;
  panel.Set(CfhRow::OpticsTemp, FormatValue(optics, 2, " °C"));

  const double battery = Battery(text);
  record.cfhBatteryVoltage = battery;
  panel.Set(CfhRow::Battery, FormatValue(battery, 4, " V"));
}

// Shown after every FC and FE packet; a setpoint of exactly the reference leaves the old text.
void ShowReflectivity(const CfhReflectivityInputs& inputs, InstrumentPanel& panel) {
  const double span = kReferenceVoltage - inputs.lastSpecularSetpoint;
  if (span == 0) return;
  const double reflectivity = (1 - (kReferenceVoltage - inputs.lastDetectorSignal) / span) * 100;
  panel.Set(CfhRow::Reflectivity, FormatValue(reflectivity, 2));
}

void DecodeConfig(std::int64_t subtype, std::string_view text, CfhReflectivityInputs& inputs,
                  InstrumentPanel& panel) {
  const std::int64_t constant = HexOrZero(text, 7, 6);
  switch (subtype) {
    case 0xFA:
      panel.Set(CfhRow::PicVersion, FormatValue(Scaled(text, 7, 6, 0.001), 3));
      return;
    case 0xFB:
      panel.Set(CfhRow::CalD, FormatInt(constant));
      panel.Set(CfhRow::SetpointTemp, FormatValue(Scaled(text, 13, 4, 1.0) / 655.36, 2));
      break;
    case 0xFC:
      panel.Set(CfhRow::CalC, FormatInt(constant));
      inputs.lastDetectorSignal = Scaled(text, 13, 4, 7.62939453125e-5);
      panel.Set(CfhRow::ConfigDetectorSignal, FormatValue(inputs.lastDetectorSignal, 5));
      ShowReflectivity(inputs, panel);
      break;
    case 0xFD:
      panel.Set(CfhRow::CalB, FormatInt(constant));
      panel.Set(CfhRow::Ad630Offset, FormatValue(Scaled(text, 13, 4, 7.62939453125e-7), 5));
      break;
    case 0xFE:
      panel.Set(CfhRow::CalA, FormatInt(constant));
      inputs.lastSpecularSetpoint = Scaled(text, 13, 4, 7.62939453125e-5);
      panel.Set(CfhRow::SpecularSetpoint, FormatValue(inputs.lastSpecularSetpoint, 5));
      ShowReflectivity(inputs, panel);
      break;
    default:  // 0xFF
      panel.Set(CfhRow::Serial, TextField(text, 7, 6));
      panel.Set(CfhRow::CodeVersion, FormatValue(Scaled(text, 13, 4, 1.0), 3));
      break;
  }
  // Every subtype but FA also carries the optics temperature and battery; they are not logged.
  panel.Set(CfhRow::OpticsTemp, FormatValue(OpticsTemperature(text), 2, " °C"));
  panel.Set(CfhRow::Battery, FormatValue(Battery(text), 4, " V"));
}

}  // namespace

void DecodeCfh(int position, const RawFrame& frame, int p, [[maybe_unused]] int n,
               XdataRecord& record, XdataContext& ctx) {
  record.cfhPresent = 1;
  ctx.lamps.LightLamp(Lamp::Cfh);
  std::unique_ptr<InstrumentPanel> scratch;
  InstrumentPanel& panel = PanelAt(ctx, position, InstrumentKind::Cfh, scratch);
  const std::string_view text = InstrumentText(frame, p);
  panel.Set(CfhRow::InstrType, HexId(ParseHexField(text, 1, 2).value));
  panel.Set(CfhRow::InstNumber, FormatInt(position));

  // Characters 5-6 choose the packet; in a data packet they already belong to the mirror value.
  const HexField subtype = ParseHexField(text, 5, 2);
  if (subtype.ok && subtype.value >= kFirstConfigSubtype) {
    DecodeConfig(subtype.value, text, ctx.chain.CfhInputs(), panel);
  } else {
    DecodeData(text, record, panel);
  }
}

}  // namespace windlark
