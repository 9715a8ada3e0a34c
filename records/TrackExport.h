#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "decoder/TelemetryLog.h"
#include "records/ExportFile.h"

namespace windlark {

// The export worker's kind: the track save dialog's filter index, or that of the CSV dialog + 10.
enum class ExportKind : std::int32_t { Kml = 1, Gpx = 2, Csv = 11 };

inline constexpr std::string_view kKmlNamespace = "http://earth.google.com/kml/2.1";
inline constexpr std::string_view kGpxNamespace = "http://www.topografix.com/GPX/1/1";
inline constexpr std::string_view kGpxSchemaLocation = "http://www.topografix.com/GPX/1/1/gpx.xsd";
inline constexpr std::string_view kXmlSchemaInstance = "http://www.w3.org/2001/XMLSchema-instance";
inline constexpr std::string_view kGpxCreator = "Windlark";
inline constexpr std::string_view kPublisherWebPage = "https://windlark.example.org/";

inline constexpr std::string_view kTrackSavedText = "GPS track file saved";
inline constexpr std::string_view kTrackNoPointsText =
    "Unable to save GPS track file.\rNo points to save";
inline constexpr std::string_view kTrackFailedText = "Unable to save GPS track file.\r";

// What an export writes, taken together at one moment on the decoding thread, so the points,
// the sonde id and the launch time belong to the same flight even if a new sonde resets the
// live log while the export runs.
struct ExportData {
  TelemetrySnapshot points;
  std::string sondeId;
  std::string launchTimeText;
};

// "Radiosonde <id> - <launch time>", the name inside both track formats.
std::string TrackDocumentName(std::string_view sondeId, std::string_view launchTimeText);

// "Radiosonde_<id>_<launch time>", the name the save dialogs offer; characters a file name
// cannot hold become "_".
std::string DefaultExportFileName(std::string_view sondeId, std::string_view launchTimeText);

// Entries with satellites are written, in log order; the others only count for the progress.
std::string BuildKml(const ExportData& data, const ExportProgress& progress = {});
std::string BuildGpx(const ExportData& data, const ExportProgress& progress = {},
                     std::string_view publisherWebPage = kPublisherWebPage);

// Writes the track (Kml or Gpx) to `file`, replacing it atomically. An empty log writes nothing.
ExportOutcome SaveTrackFile(const ExportData& data, ExportKind kind,
                            const std::filesystem::path& file, const ExportProgress& progress = {});

// The body of the export worker: the track or the telemetry CSV, by kind.
ExportOutcome RunExport(const ExportData& data, ExportKind kind, const std::filesystem::path& file,
                        const ExportProgress& progress = {});

}  // namespace windlark
