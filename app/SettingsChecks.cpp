#include "app/SettingsChecks.h"

#include <algorithm>
#include <utility>

#include "app/IniFile.h"

namespace windlark {

namespace {

bool IsAsciiAlnum(char c) {
  return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

bool AllDigits(std::string_view text) {
  return !text.empty() &&
         std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::optional<int> IntegerIn(std::string_view text, int low, int high) {
  const auto value = ParseIniInteger(text);
  if (!value || *value < low || *value > high) return std::nullopt;
  return value;
}

// The callsign and its SSID; "" when they pass.
std::string CheckCallsign(const AprsSettings& aprs) {
  const std::string& call = aprs.callSign;
  const auto dash = call.find('-');
  // The base goes into the APRS-IS login line as it is: letters and digits only, so a blank
  // cannot split that line.
  const bool baseOk =
      dash != std::string::npos && dash > 0 &&
      std::all_of(call.begin(), call.begin() + static_cast<std::ptrdiff_t>(dash), IsAsciiAlnum);
  if (call.size() < 4 || !baseOk || dash + 1 == call.size()) {
    return "Invalid Callsign in Aprs settings\rPlease insert a valid one";
  }
  const std::string ssidText = call.substr(dash + 1);
  // Decimal digits only: "+7" or "0x7" would reach the network as a malformed callsign.
  if (!AllDigits(ssidText)) return "'" + ssidText + "' is not a valid integer value";
  const auto ssid = IntegerIn(ssidText, 0, 15);
  if (!ssid) {
    return "Invalid Callsign in Aprs settings\rCallsign SSID bust be between 1 and 15 ";
  }
  if (aprs.homePositionEnable && aprs.homeSsid == *ssid) {
    return "Invalid Aprs settings\rCallsign SSID must be different from Home position SSDD ";
  }
  return {};
}

std::string CheckAprs(const AprsSettings& aprs, const SettingsTexts& texts) {
  if (std::string refused = CheckCallsign(aprs); !refused.empty()) return refused;
  if (!IntegerIn(texts.password, 0, 65535)) {
    return "Invalid Password in Aprs settings\rPlease insert a valid one";
  }
  if (aprs.serverNum < 1 || aprs.serverNum > 4) {
    return "Please specify an APRS server\r(basing on your grographical position)";
  }
  if (aprs.monitoringMode == 1) {
    if (!ParseIniReal(texts.launchLatitude, '.')) {
      return "Invalid Latitude in APRS->Latitude\rPlease use DD.DDDD format";
    }
    if (!ParseIniReal(texts.launchLongitude, '.')) {
      return "Invalid Longitude in APRS->Longitude\rPlease use DD.DDDD format";
    }
    const auto range = ParseIniInteger(texts.range);
    if (!range || *range <= 0) return "Invalid Range in APRS->Range";
  }
  return {};
}

}  // namespace

SettingsFormCheck CheckSettingsForm(const Settings& settings, const SettingsTexts& texts) {
  SettingsFormCheck check;
  if (!IntegerIn(texts.netRemotePort, 1, 65535)) {
    check.message = "Invalid value in Radio Interface->NetRemote port";
    return check;
  }
  if (const auto lat = ParseIniReal(texts.homeLatitude, '.'); !lat || !HomeLatitudeOk(*lat)) {
    check.message = "Invalid value in Maps->Latitude value\rPlease use DD.DDDD format";
    return check;
  }
  if (const auto lon = ParseIniReal(texts.homeLongitude, '.'); !lon || !HomeLongitudeOk(*lon)) {
    check.message = "Invalid value in Maps->Longitude value\rPlease use DD.DDDD format";
    return check;
  }
  if (settings.aprs.enable) {
    check.message = CheckAprs(settings.aprs, texts);
    if (!check.message.empty()) return check;
  }
  if (settings.sondehub.enable && !SondeHubCallsignOk(settings.sondehub.callsign)) {
    check.message =
        "Invalid value in SondeHub->Uploader callsign\r"
        "Please enter 1 to 32 letters, digits, '-', '_' or '/'";
    return check;
  }
  check.rescanDelayMin = IntegerIn(texts.rearmTime, 2, 1440);
  if (!check.rescanDelayMin) {
    check.message =
        "Invalid value in Radio Interface-> Inactivity minutes to restart scan\r"
        "Please enter a number between 2 and 1440";
    return check;
  }
  // What is left for the save to refuse (the altitude; launch fields edited while hidden).
  IniFile scratch;
  check.message = SaveSettings(settings, texts, scratch);
  return check;
}

std::string CheckNewFrequency(std::string_view text) {
  if (IntegerIn(text, kFrequencyMinHz, kFrequencyMaxHz)) return {};
  return "Invalid frequency.\rvalid range [400000000 - 407000000]";
}

std::string CheckNewPreset(std::string_view name, std::string_view azimuthText,
                           std::string_view elevationText) {
  if (!IntegerIn(azimuthText, 0, 359)) return "Invalid Azimuth  value\rValid range [0..359]";
  if (!IntegerIn(elevationText, 0, 180)) return "Invalid Elevation value\rValid range [0..180]";
  // Blanks and control characters alone make no name.
  if (std::none_of(name.begin(), name.end(),
                   [](char c) { return static_cast<unsigned char>(c) > ' '; })) {
    return "Preset name cannot be void";
  }
  return {};
}

bool PresetListFull(const std::vector<RotorPreset>& rows) {
  return rows.size() >= static_cast<std::size_t>(kMaxPresetRows);
}

void AddPreset(std::vector<RotorPreset>& rows, RotorPreset preset) {
  if (rows.size() == 1 && rows.front().name.empty()) {
    rows.front() = std::move(preset);
  } else {
    rows.push_back(std::move(preset));
  }
}

void DeletePreset(std::vector<RotorPreset>& rows, std::size_t row) {
  if (row >= rows.size()) return;
  rows.erase(rows.begin() + static_cast<std::ptrdiff_t>(row));
  if (rows.empty()) rows.emplace_back();
}

}  // namespace windlark
