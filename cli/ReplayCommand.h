#pragma once

#include <string>
#include <vector>

namespace windlark {

// windlark-cli replay FILE [--speed ...]
int RunReplay(const std::vector<std::string>& args);
extern const char* const kReplayHelp;

}  // namespace windlark
