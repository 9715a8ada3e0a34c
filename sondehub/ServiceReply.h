#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace windlark {

// The error and warning texts of the service's answer to an upload (201 and 202 carry them):
// every "error_message" and "warning_message" string, and plain strings in "errors" and
// "warnings" lists. A body that is not JSON gives none.
struct ServiceMessages {
  std::vector<std::string> errors;
  std::vector<std::string> warnings;
};
ServiceMessages ParseServiceMessages(std::string_view body);

}  // namespace windlark
