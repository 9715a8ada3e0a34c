// The INI reader, the settings load, and a save/reload round trip: saving what was loaded and
// loading it again must give the same file once more.
#include <cstdlib>
#include <filesystem>
#include <string_view>

#include "app/IniFile.h"
#include "app/Settings.h"

using namespace windlark;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  static const SettingsEnvironment env = [] {
    SettingsEnvironment e;
    e.audioDevices = {"Line In", "USB Audio"};
    e.serialPorts = {"/dev/ttyS0"};
    // Only this folder is ever created by a load.
    const auto dir = std::filesystem::temp_directory_path() / "windlark-fuzz-settings";
    e.defaultRawDir = (dir / "RawData").string();
    e.defaultMapDir = (dir / "maps").string();
    return e;
  }();
  for (const char separator : {'.', ','}) {
    IniFile ini(separator);
    ini.Parse(text);
    const LoadedSettings loaded = LoadSettings(ini, env);
    if (!SaveSettings(loaded.settings, loaded.texts, ini).empty()) continue;
    const std::string saved = ini.Text();
    IniFile again(separator);
    again.Parse(saved);
    const LoadedSettings reloaded = LoadSettings(again, env);
    if (!SaveSettings(reloaded.settings, reloaded.texts, again).empty()) std::abort();
    if (again.Text() != saved) std::abort();
  }
  return 0;
}
