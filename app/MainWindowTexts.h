#pragma once

#include <string>
#include <string_view>

#include "decoder/FrameDecoder.h"
#include "decoder/SondeState.h"

// Texts of the main window that do not belong to one decoder: caption, about line, the flight
// summary for the clipboard and the web-map address.
namespace windlark {

inline constexpr std::string_view kApplicationTitle = "Windlark";
inline constexpr std::string_view kUnableToOpenAudioText = "Unable to Open Audio Device";
inline constexpr std::string_view kNoCoordinatesText =
    "No Radiosonde Coordinates Availables.\rGoogle maps on browser will not be opened.";
inline constexpr std::string_view kGoogleMapsSite = "https://www.google.com";

// "Windlark V 1.15"
std::string WindowCaption(int major, int minor);
// "Windlark Release 1.15"
std::string AboutReleaseText(int major, int minor);

// The one-line summary of the flight's extremes that a click on the status bar copies.
std::string FlightSummaryText(const SondeState& state, SpeedUnit windSpeedUnit);

// The Google Maps place address of a position, "0.000000" for both coordinates.
std::string GoogleMapsPlaceUrl(double latitude, double longitude);

// "Input source: <name>" for a capture device or a replayed file ("None" when nothing).
std::string InputSourceText(std::string_view name);

// How the system's default input is named in the status bar: the device list has no entry
// for it, so the name says both that it is the default and which device that is.
std::string DefaultInputText(std::string_view systemDefaultName);

// The file name of a path without its folder.
std::string FileNameOnly(std::string_view path);

}  // namespace windlark
