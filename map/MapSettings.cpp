#include "map/MapSettings.h"

namespace windlark {

std::string NormalTileUrl(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '/')) {
    text.remove_suffix(1);
  }
  if (text.empty()) return {};
  if (text.find("://") == std::string_view::npos) return "https://" + std::string(text);
  return std::string(text);
}

}  // namespace windlark
