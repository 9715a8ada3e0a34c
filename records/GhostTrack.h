#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace windlark {

struct GhostPoint {
  double mapX = 0;
  double mapY = 0;
};

// The line of an earlier flight, drawn on the map beside the current track. Altitudes are not
// kept: the map draws in two dimensions.
class GhostTrack {
 public:
  void AddGhostPoint(double latitude, double longitude);
  void ClearGhostTrack() { m_points.clear(); }
  const std::vector<GhostPoint>& Points() const { return m_points; }
  bool Empty() const { return m_points.empty(); }

 private:
  std::vector<GhostPoint> m_points;
};

inline constexpr std::string_view kGhostTrackInvalidText = "Invalid or unsupported kml file";
inline constexpr std::string_view kGhostTrackClearedText = "Ghost track cleared";
// A flight's track is a few hundred kilobytes; a file far beyond that is not one, and reading it
// whole would only tie up memory.
inline constexpr std::size_t kGhostTrackMaxFileBytes = std::size_t{16} * 1024 * 1024;

// A loaded ghost track, or why not. On success `message` is the events-log line
// ("Ghost track "<name>" loaded"), on failure the message-box text; a failed load has no points.
struct GhostTrackLoad {
  bool ok = false;
  GhostTrack track;
  std::string message;
};

// Splits a KML coordinates text into its items: separated by a comma or a run of white space
// (characters 1 … 32), white space around a comma belonging to the comma; two commas with
// nothing between enclose an empty item; an item that starts with a double quote runs to the
// closing quote, a doubled quote inside standing for one.
std::vector<std::string> SplitCoordinateItems(std::string_view text);

GhostTrackLoad ParseGhostTrackKml(std::string_view content);
GhostTrackLoad LoadGhostTrackFile(const std::filesystem::path& file);

}  // namespace windlark
