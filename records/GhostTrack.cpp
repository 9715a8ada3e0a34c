#include "records/GhostTrack.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <memory>
#include <optional>
#include <pugixml.hpp>

#include "base/Projection.h"

namespace windlark {

namespace {

constexpr double kMercatorLimitDeg = 85.0511287798066;

bool IsBlank(char c) {
  const auto byte = static_cast<unsigned char>(c);
  return byte >= 1 && byte <= 32;
}

std::size_t SkipBlanks(std::string_view text, std::size_t pos) {
  while (pos < text.size() && IsBlank(text[pos])) ++pos;
  return pos;
}

std::string ReadQuoted(std::string_view text, std::size_t& pos) {
  std::string item;
  ++pos;
  while (pos < text.size()) {
    if (text[pos] == '"') {
      if (pos + 1 < text.size() && text[pos + 1] == '"') {
        item += '"';
        pos += 2;
        continue;
      }
      ++pos;
      return item;
    }
    item += text[pos++];
  }
  return item;  // an unclosed quote runs to the end
}

GhostTrackLoad Invalid() {
  return {false, {}, std::string(kGhostTrackInvalidText)};
}

// A decimal number with "." as separator and nothing else around it.
std::optional<double> ParseNumber(std::string_view item) {
  if (!item.empty() && item.front() == '+') item.remove_prefix(1);
  if (item.empty() || item.front() == '+') return std::nullopt;
  double value = 0;
  const auto [end, error] = std::from_chars(item.data(), item.data() + item.size(), value);
  if (error != std::errc{} || end != item.data() + item.size() || !std::isfinite(value)) {
    return std::nullopt;
  }
  return value;
}

// The element's text as a DOM gives it: every text and CDATA piece below it, in document order.
// Walked without recursion, so deep nesting cannot exhaust the stack.
std::string TextOf(pugi::xml_node node) {
  std::string text;
  if (!node) return text;
  pugi::xml_node current = node.first_child();
  while (current && current != node) {
    if (current.type() == pugi::node_pcdata || current.type() == pugi::node_cdata) {
      text += current.value();
    }
    if (current.first_child()) {
      current = current.first_child();
      continue;
    }
    while (current != node && !current.next_sibling()) current = current.parent();
    if (current != node) current = current.next_sibling();
  }
  return text;
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    const auto lower = [](char c) {
      return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
    };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

// The first element named LineString in any letter case: the node itself, then its descendants
// depth first in document order.
pugi::xml_node FindLineString(pugi::xml_node start) {
  pugi::xml_node current = start;
  while (current) {
    if (current.type() == pugi::node_element && EqualsIgnoringCase(current.name(), "LineString")) {
      return current;
    }
    if (current.first_child()) {
      current = current.first_child();
      continue;
    }
    while (current != start && !current.next_sibling()) current = current.parent();
    if (current == start) break;
    current = current.next_sibling();
  }
  return {};
}

// Names and texts of a file from elsewhere go into one events-log line.
std::string OneLine(std::string text) {
  for (char& c : text) {
    if (static_cast<unsigned char>(c) < 0x20) c = ' ';
  }
  return text;
}

}  // namespace

void GhostTrack::AddGhostPoint(double latitude, double longitude) {
  // The poles lie infinitely far out on the map: a point there is drawn at the map's edge.
  const MapPoint point =
      Project(std::clamp(latitude, -kMercatorLimitDeg, kMercatorLimitDeg), longitude);
  m_points.push_back({point.x, point.y});
}

std::vector<std::string> SplitCoordinateItems(std::string_view text) {
  std::vector<std::string> items;
  std::size_t pos = SkipBlanks(text, 0);
  while (pos < text.size()) {
    if (text[pos] == '"') {
      items.push_back(ReadQuoted(text, pos));
    } else {
      const std::size_t start = pos;
      while (pos < text.size() && !IsBlank(text[pos]) && text[pos] != ',') ++pos;
      items.emplace_back(text.substr(start, pos - start));
    }
    pos = SkipBlanks(text, pos);
    if (pos < text.size() && text[pos] == ',') {
      pos = SkipBlanks(text, pos + 1);
      if (pos == text.size()) items.emplace_back();  // a final comma closes an empty item
    }
  }
  return items;
}

GhostTrackLoad ParseGhostTrackKml(std::string_view content) {
  pugi::xml_document doc;
  const pugi::xml_parse_result parsed =
      doc.load_buffer(content.data(), content.size(), pugi::parse_default, pugi::encoding_auto);
  if (!parsed) return Invalid();

  const pugi::xml_node document = doc.document_element().child("Document");
  if (!document) return Invalid();
  const pugi::xml_node lineString = FindLineString(document);
  if (!lineString) return Invalid();

  const auto items = SplitCoordinateItems(TextOf(lineString.child("coordinates")));
  if (items.size() % 3 != 0) return Invalid();

  GhostTrackLoad load;
  for (std::size_t i = 0; i < items.size(); i += 3) {
    const auto longitude = ParseNumber(items[i]);
    const auto latitude = ParseNumber(items[i + 1]);
    const auto altitude = ParseNumber(items[i + 2]);
    if (!longitude || !latitude || !altitude) return Invalid();
    // Beyond these the map projection has no place for the point.
    if (std::fabs(*latitude) > 90.0 || std::fabs(*longitude) > 180.0) return Invalid();
    load.track.AddGhostPoint(*latitude, *longitude);
  }
  load.ok = true;
  load.message = "Ghost track \"" + OneLine(TextOf(document.child("name"))) + "\" loaded";
  return load;
}

GhostTrackLoad LoadGhostTrackFile(const std::filesystem::path& file) {
  // Only a regular file: a FIFO or a device would block or never end.
  std::error_code ec;
  if (!std::filesystem::is_regular_file(file, ec)) return Invalid();
  const auto size = std::filesystem::file_size(file, ec);
  if (ec || size > kGhostTrackMaxFileBytes) return Invalid();

  const std::unique_ptr<std::FILE, int (*)(std::FILE*)> stream(std::fopen(file.c_str(), "rb"),
                                                               &std::fclose);
  if (!stream) return Invalid();
  // One byte more than the size taken above shows a file that changes while it is read.
  std::string content(static_cast<std::size_t>(size) + 1, '\0');
  const std::size_t got = std::fread(content.data(), 1, content.size(), stream.get());
  if (std::ferror(stream.get()) != 0 || got > size) return Invalid();
  content.resize(got);
  return ParseGhostTrackKml(content);
}

}  // namespace windlark
