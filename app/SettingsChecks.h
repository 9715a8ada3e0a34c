#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/Settings.h"

namespace windlark {

inline constexpr int kMaxPresetRows = 9;  // rows the preset dialog may fill

struct SettingsFormCheck {
  std::string message;  // the first failure for an error box; empty when the dialog may close
  // Set once the rescan delay has passed its check: it takes effect at once.
  std::optional<int> rescanDelayMin;
};

// The settings dialog's check on "Save", in its order, stopping at the first failure. It ends
// with the conversions the save makes, so a dialog that closes with OK is never refused by the
// save afterwards.
SettingsFormCheck CheckSettingsForm(const Settings& settings, const SettingsTexts& texts);

// The add-frequency dialog's "Ok": "" or the message.
std::string CheckNewFrequency(std::string_view text);

// The preset dialog's "OK": azimuth, elevation, then the name; "" or the message.
std::string CheckNewPreset(std::string_view name, std::string_view azimuthText,
                           std::string_view elevationText);

// The preset grid's rows (never empty; a row with an empty name is blank).
bool PresetListFull(const std::vector<RotorPreset>& rows);
// A lone blank row takes the preset; otherwise it becomes the new last row.
void AddPreset(std::vector<RotorPreset>& rows, RotorPreset preset);
// The rows below move up; one blank row stays when the last preset goes.
void DeletePreset(std::vector<RotorPreset>& rows, std::size_t row);

}  // namespace windlark
