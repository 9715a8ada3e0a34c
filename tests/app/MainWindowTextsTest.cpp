#include "app/MainWindowTexts.h"

#include <gtest/gtest.h>

namespace windlark {
namespace {

TEST(MainWindowTexts, CaptionAndAboutCarryTheVersion) {
  EXPECT_EQ(WindowCaption(1, 15), "Windlark V 1.15");
  EXPECT_EQ(AboutReleaseText(1, 15), "Windlark Release 1.15");
}

TEST(MainWindowTexts, SummaryOfAFreshFlightAndOfAFlownOne) {
  SondeState fresh;
  EXPECT_EQ(FlightSummaryText(fresh, SpeedUnit::MetresPerSecond),
            "MaxAlt=-1000.0m,Max Wind:0.0 m/s @0.0m from 0°,Best ISO 0° (1000.0°C): 0.0m");
  SondeState flown;
  flown.maxAltitude = 33012.449;
  flown.maxWindSpeed = 10.0;
  flown.maxWindAltitude = 11000.25;
  flown.maxWindDirection = 359.6;
  flown.bestIsoTemperature = 0.04;
  flown.bestIsoAltitude = 2950.04;
  EXPECT_EQ(FlightSummaryText(flown, SpeedUnit::Knots),
            "MaxAlt=33012.4m,Max Wind:19.4 kts @11000.2m from 360°,Best ISO 0° (0.0°C): 2950.0m");
  EXPECT_EQ(FlightSummaryText(flown, static_cast<SpeedUnit>(7)).find("Max Wind: @"), 16U)
      << "an unknown unit shows nothing";
}

TEST(MainWindowTexts, WebMapAddressHasSixDecimals) {
  EXPECT_EQ(GoogleMapsPlaceUrl(-45.5, 7.25),
            "https://www.google.com/maps/place/-45.500000,7.250000");
}

TEST(MainWindowTexts, InputSourceNames) {
  EXPECT_EQ(InputSourceText("None"), "Input source: None");
  EXPECT_EQ(DefaultInputText(""), "Default input");
  EXPECT_EQ(DefaultInputText("Built-in Audio"), "Default input (Built-in Audio)");
  EXPECT_EQ(FileNameOnly("/home/u/RawData/2024-03-07-09-V4150123.txt"),
            "2024-03-07-09-V4150123.txt");
  EXPECT_EQ(FileNameOnly("flight.txt"), "flight.txt");
}

}  // namespace
}  // namespace windlark
