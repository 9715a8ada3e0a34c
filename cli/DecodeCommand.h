#pragma once

#include <string>
#include <vector>

namespace windlark {

// windlark-cli decode [options] [FILE|-]
int RunDecode(const std::vector<std::string>& args);
extern const char* const kDecodeHelp;

}  // namespace windlark
