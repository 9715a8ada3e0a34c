#include "decoder/FlightState.h"

namespace windlark {

void ComputeTemperatureCoefficients(SondeState& state) {
  state.temperatureCalReady = true;
}
void ComputeHumidityCoefficients(SondeState& state) {
  state.humidityCalReady = true;
}
void LoadPressureCoefficients(SondeState& state) {
  state.pressureCalReady = true;
}

}  // namespace windlark
