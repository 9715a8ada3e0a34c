#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// What the decoder shows, as a small interface: the main window implements it with labels and
// lamps, the command line and the tests with a recorder. Every text is made in the core.
namespace windlark {

enum class ReadOut {
  AvrLevel,
  FrameNumber,
  SondeId,
  Frequency,
  Firmware,
  Type,
  Battery,
  BurstStatus,
  TimerDuration,
  PoweroffTime,
  Countdown,
  TrackPoints,
  GpsTime,
  Latitude,
  Longitude,
  Altitude,
  VerticalSpeed,
  WindSpeed,
  Direction,
  SatsUsed,
  SpeedAccuracy,
  Pdop,
  Temperature,
  Pressure,
  Humidity,
  DewPoint,
  Elevation,
  Bearing,
  Range,
  SlantRange,
  PressureCaption,  // the caption of the "Pressure " group itself
  ZoomLevel,
  RadioStatus,
  Count  // number of read-outs, not one itself
};

enum class Lamp {
  Preamble,
  Header,
  Gps1,
  Gps3,
  Ptu,
  Ozone,
  Xdata,
  Cobald,
  Cfh,
  Skydew,
  Unknown,
  Input,  // the input lamp of "Signal processing": on while audio decoding runs
  Count
};

// The eleven block indicators that the timer dims, in decay order.
inline constexpr int kIndicatorCount = 11;
inline constexpr int kSubFrameCount = 51;
inline constexpr int kSatelliteCount = 12;

struct Rgb {
  std::uint8_t red = 0;
  std::uint8_t green = 0;
  std::uint8_t blue = 0;
  friend bool operator==(const Rgb&, const Rgb&) = default;
};

inline constexpr Rgb kAqua{0, 255, 255};
inline constexpr Rgb kNavy{0, 0, 128};
inline constexpr Rgb kYellow{255, 255, 0};

// "<group caption>/<read-out caption>", blanks trimmed: the name a read-out goes by outside.
std::string_view ReadOutKey(ReadOut readOut);
std::string_view LampKey(Lamp lamp);
// "aqua", "navy", "yellow" or "#RRGGBB".
std::string ColourName(Rgb colour);

class TelemetryView {
 public:
  virtual ~TelemetryView() = default;
  virtual void SetText(ReadOut readOut, std::string_view text) = 0;
  virtual void SetLamp(Lamp lamp, Rgb colour) = 0;
  virtual void SetSubFrameLamp(int index, Rgb colour) = 0;
  // Satellite slot k: PRN label text and signal bar 0..127.
  virtual void SetSatellite(int slot, std::string_view label, int bar) = 0;
  // bar 1 or 2, panel 1-based.
  virtual void SetStatusPanel(int bar, int panel, std::string_view text) = 0;
  virtual std::string StatusPanel(int bar, int panel) const = 0;
  // Appends a time-stamped line to the events log; the implementation adds the stamp.
  virtual void LogEvent(std::string_view text) = 0;
};

// "2024-03-07T09:05:03 " + text, from a broken-down local time.
std::string EventLine(int year, int month, int day, int hour, int minute, int second,
                      std::string_view text);
// The same with the local time now.
std::string EventLineNow(std::string_view text);

}  // namespace windlark
