#pragma once

#include "decoder/FrameDecoder.h"

namespace windlark {

// Coefficient steps, each run once per sonde on the first reception of its fragments.
void ComputeTemperatureCoefficients(SondeState& state);
void ComputeHumidityCoefficients(SondeState& state);
void LoadPressureCoefficients(SondeState& state);

// Temperature, sensor pressure, humidity and dew point from the measurement block whose data
// starts at frame byte `at`. `record` is this frame's record: its positionValid tells whether a
// position with satellites (and so, on an RS41-SG, a pressure from the altitude) came with this
// frame.
void ConvertPtu(const RawFrame& frame, std::size_t at, SondeState& state, FrameRecord& record,
                DecodeContext& ctx);

// Standard-atmosphere pressure in hPa at altitude h metres; 0 from 47 000 m up.
double PressureFromAltitude(double h);

}  // namespace windlark
