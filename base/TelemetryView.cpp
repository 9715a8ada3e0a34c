#include "base/TelemetryView.h"

#include <array>
#include <ctime>

#include "base/Hex.h"

#include "base/Format.h"

namespace windlark {

namespace {

constexpr std::array<std::string_view, static_cast<std::size_t>(ReadOut::Count)> kReadOutKeys = {
    "Signal processing/Avr:",
    "Rs41 Header/Frame #",
    "Rs41 Header/Sonde ID",
    "Rs41 Header/Frequency",
    "Rs41 Header/Firmware",
    "Rs41 Header/Type",
    "Rs41 Header/Battery",
    "Burst killer/Status",
    "Burst killer/Timer duration",
    "Burst killer/Poweroff time",
    "Burst killer/Countdown",
    "GPS Track/Points",
    "Gps Time (UTC)/Time",
    "Gps Nav/Latitude",
    "Gps Nav/Longitude",
    "Gps Nav/Altitude",
    "Gps Nav/Vertical Speed",
    "Gps Nav/Wind Speed",
    "Gps Nav/Direction",
    "Gps Nav/Sats used",
    "Gps Nav/sAcc",
    "Gps Nav/pDop",
    "Temp/Value",
    "Pressure/Value",
    "Humidity/Value",
    "Dew Point/Value",
    "Tracking/Elevation",
    "Tracking/Bearing",
    "Tracking/Range",
    "Tracking/Slant Range",
    "Pressure/Caption",
    "Map Control/Zoom",
    "Radio  I/F/Status",
};

constexpr std::array<std::string_view, static_cast<std::size_t>(Lamp::Count)> kLampKeys = {
    "Signal processing/Preamble",
    "Signal processing/Header",
    "Signal processing/Gps 1",
    "Signal processing/Gps 3",
    "Signal processing/PTU",
    "Xdata/Ozone",
    "Signal processing/Xdata",
    "Xdata/Cobald",
    "Xdata/CFH",
    "Xdata/Skydew",
    "Xdata/Unknown",
    "Signal processing/Input",
};

}  // namespace

std::string_view ReadOutKey(ReadOut readOut) {
  return kReadOutKeys.at(static_cast<std::size_t>(readOut));
}

std::string_view LampKey(Lamp lamp) {
  return kLampKeys.at(static_cast<std::size_t>(lamp));
}

std::string ColourName(Rgb colour) {
  if (colour == kAqua) return "aqua";
  if (colour == kNavy) return "navy";
  if (colour == kYellow) return "yellow";
  std::string text = "#";
  for (std::uint8_t part : {colour.red, colour.green, colour.blue}) {
    text += kHexUpper[part >> 4];
    text += kHexUpper[part & 0x0F];
  }
  return text;
}

std::string EventLine(int year, int month, int day, int hour, int minute, int second,
                      std::string_view text) {
  std::string line = FormatInt(year, 4) + "-" + FormatInt(month, 2) + "-" + FormatInt(day, 2) +
                     "T" + FormatInt(hour, 2) + ":" + FormatInt(minute, 2) + ":" +
                     FormatInt(second, 2) + " ";
  line += text;
  return line;
}

std::string EventLineNow(std::string_view text) {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return EventLine(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                   local.tm_min, local.tm_sec, text);
}

}  // namespace windlark
