#pragma once

#include <string>
#include <vector>

namespace windlark {

// windlark-cli replay FILE [--speed ...]
int RunReplay(const std::vector<std::string>& args);
extern const char* const kReplayHelp;

// windlark-cli export RAWFILE --kml F --gpx F --csv F
int RunExport(const std::vector<std::string>& args);
extern const char* const kExportHelp;

}  // namespace windlark
