#pragma once

#include <cstdint>

namespace windlark {

// The instrument sections of a frame's log record, in log order: OIF411, COBALD, CFH, SKYDEW.
// Each begins with a presence flag; a section no block of the frame filled stays all zero.
// Values an instrument could not give (undefined formulas) also stay 0, never NaN.
struct XdataRecord {
  // OIF411 ozone interface.
  std::uint8_t ozonePresent = 0;
  double ozonePumpTemperature = 0;  // °C
  double ozonePumpCurrent = 0;      // mA, whole numbers
  double ozoneCurrent = 0;          // µA
  double ozoneBatteryVoltage = 0;   // V
  double ozoneExtVoltage = 0;       // V

  // COBALD backscatter sonde: raw counts besides the temperature.
  std::uint8_t cobaldPresent = 0;
  std::int32_t cobaldSerial = 0;
  double cobaldTemperature = 0;  // °C
  std::int32_t cobaldBlueSignal = 0;
  std::int32_t cobaldRedSignal = 0;
  std::int32_t cobaldBlueMonitor = 0;
  std::int32_t cobaldRedMonitor = 0;

  // CFH hygrometer, data packets only.
  std::uint8_t cfhPresent = 0;
  double cfhMirrorTemperature = 0;  // °C
  double cfhDetectorSignal = 0;     // V
  double cfhOpticsTemperature = 0;  // °C
  double cfhBatteryVoltage = 0;     // V

  // SKYDEW hygrometer.
  std::uint8_t skydewPresent = 0;
  double skydewPt100Resistance = 0;      // Ω, once the coefficients are complete
  double skydewMirrorTemperature = 0;    // °C, once the coefficients are complete
  double skydewScatteredLight = 0;       // V
  double skydewPeltierCurrent = 0;       // A
  double skydewHeatSinkTemperature = 0;  // °C
  double skydewBoardTemperature = 0;     // °C
  double skydewBatteryVoltage = 0;       // V
};

}  // namespace windlark
