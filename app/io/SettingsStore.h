#pragma once

#include <QString>
#include <string>
#include <vector>

#include "app/Settings.h"
#include "app/io/AppPaths.h"
#include "base/io/LocaleSeparator.h"

namespace windlark {

// The settings file on disk: where it is, what the system around it looks like, and load and
// save through the core rules.
class SettingsStore {
 public:
  // The file's reals use `decimalSeparator`, by default the user's (the system locale's).
  explicit SettingsStore(AppPaths paths = AppPaths(),
                         char decimalSeparator = LocaleDecimalSeparator());

  QString FilePath() const { return m_paths.IniFile(); }

  // The system as the settings see it. WINDLARK_APRS_HOST, when set, replaces every APRS-IS
  // region's host.
  SettingsEnvironment Environment(std::vector<std::string> audioDevices) const;

  // A missing or unreadable file reads as all defaults.
  LoadedSettings Load(std::vector<std::string> audioDevices) const;

  // Writes the dialog's state, keeping the file's other sections. Returns "" or the message for
  // the user; on failure the file on disk is as it was.
  QString Save(const Settings& settings, const SettingsTexts& texts) const;

  // Device paths of the serial ports the system lists, sorted.
  static std::vector<std::string> SerialPortNames();

 private:
  AppPaths m_paths;
  char m_decimalSeparator = '.';
};

}  // namespace windlark
