#include "decoder/Ptu.h"

namespace windlark {

void ComputeTemperatureCoefficients(SondeState& state) { state.temperatureCalReady = true; }
void ComputeHumidityCoefficients(SondeState& state) { state.humidityCalReady = true; }
void LoadPressureCoefficients(SondeState& state) { state.pressureCalReady = true; }
void ConvertPtu(const RawFrame&, SondeState&, FrameRecord&, DecodeContext&) {}
double PressureFromAltitude(double) { return 0; }

}  // namespace windlark
