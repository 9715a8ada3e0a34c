#pragma once

#include <QString>
#include <string_view>

namespace windlark {

// The core's UTF-8 texts as Qt strings.
QString ToQString(std::string_view text);

}  // namespace windlark
