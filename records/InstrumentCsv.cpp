// The telemetry CSV's column groups of the auxiliary instruments.
#include <array>

#include "base/Format.h"
#include "records/TelemetryCsv.h"

namespace windlark {

namespace {

void Add(std::string& line, const std::string& field) {
  line += ',';
  line += field;
}

void Oif411Fields(const FrameRecord& frame, std::string& line) {
  const XdataRecord& x = frame.xdata;
  Add(line, FormatFixed(x.ozonePumpTemperature, 2));
  Add(line, FormatZeroPadded(x.ozonePumpCurrent, 3, 0));
  Add(line, FormatFixed(x.ozoneCurrent, 3));
  Add(line, FormatFixed(x.ozoneBatteryVoltage, 1));
  Add(line, FormatFixed(x.ozoneExtVoltage, 1));
}

void CobaldFields(const FrameRecord& frame, std::string& line) {
  const XdataRecord& x = frame.xdata;
  Add(line, FormatInt(x.cobaldSerial, 3));
  Add(line, FormatFixed(x.cobaldTemperature, 2));
  Add(line, FormatInt(x.cobaldBlueSignal));
  Add(line, FormatInt(x.cobaldRedSignal));
  Add(line, FormatInt(x.cobaldBlueMonitor));
  Add(line, FormatInt(x.cobaldRedMonitor));
}

void CfhFields(const FrameRecord& frame, std::string& line) {
  const XdataRecord& x = frame.xdata;
  Add(line, FormatFixed(x.cfhMirrorTemperature, 2));
  Add(line, FormatFixed(x.cfhDetectorSignal, 5));
  Add(line, FormatFixed(x.cfhOpticsTemperature, 2));
  Add(line, FormatFixed(x.cfhBatteryVoltage, 4));
}

void SkydewFields(const FrameRecord& frame, std::string& line) {
  const XdataRecord& x = frame.xdata;
  Add(line, FormatFixed(x.skydewPt100Resistance, 2));
  Add(line, FormatFixed(x.skydewMirrorTemperature, 2));
  Add(line, FormatFixed(x.skydewScatteredLight, 4));
  Add(line, FormatFixed(x.skydewPeltierCurrent, 2));
  Add(line, FormatFixed(x.skydewHeatSinkTemperature, 3));
  Add(line, FormatFixed(x.skydewBoardTemperature, 3));
  Add(line, FormatFixed(x.skydewBatteryVoltage, 3));
}

constexpr std::array<CsvColumnGroup, 4> kGroups = {{
    {",O3 Pump Temp (deg),O3 Pump Current (mA),O3 Current (uA),O3 Battery Voltage (V),"
     "O3 External voltage (V)",
     5, [](const FrameRecord& f) { return f.xdata.ozonePresent == 1; }, Oif411Fields},
    {",Cobald Serial,Cobald Temp (deg),Cobald Signal Blue,Cobald Signal Red,Cobald Monitor Blue,"
     "Cobald Monitor Red",
     6, [](const FrameRecord& f) { return f.xdata.cobaldPresent == 1; }, CobaldFields},
    {",Mirror Temp (deg),Detector Signal (V),Optics Temp (deg),Battery Voltage (V)", 4,
     [](const FrameRecord& f) { return f.xdata.cfhPresent == 1; }, CfhFields},
    {",PT100 (Ohm),Mirror Temp (deg),Scatter Light (V),Peltier Current (A),Heat sink temp (deg),"
     "Circuit Board Temp (deg),Battery (V)",
     7, [](const FrameRecord& f) { return f.xdata.skydewPresent == 1; }, SkydewFields},
}};

}  // namespace

std::span<const CsvColumnGroup> InstrumentColumnGroups() {
  return kGroups;
}

}  // namespace windlark
