#pragma once

#include <filesystem>
#include <span>
#include <string>
#include <string_view>

#include "decoder/TelemetryLog.h"
#include "records/ExportFile.h"

namespace windlark {

inline constexpr std::string_view kCsvBaseHeader =
    "Date,Time,Latitude,Longitude,Altitude,Battery Voltage (V),Sats used,Wind Speed (m/s),"
    "Wind Dir (deg),Vertical Speed (m/s),Temperature(deg),Pressure (hPa),Humidity (%),"
    "Dew point (deg)";

inline constexpr std::string_view kTelemetrySavedText = "Radiosonde Telemetry saved";
inline constexpr std::string_view kTelemetryNoPointsText =
    "Unable to Export Radiosonde Telemetry.\rNo points to save";
inline constexpr std::string_view kTelemetryFailedText = "Unable to Export Radiosonde Telemetry.\r";

// The columns of one auxiliary instrument. A group has columns in a file only when some entry
// of the whole log carries the instrument; a written line whose entry lacks it gets
// `fieldCount` empty fields in their place.
struct CsvColumnGroup {
  std::string_view headerPiece;  // begins with ","
  int fieldCount = 0;
  bool (*isPresent)(const FrameRecord& frame) = nullptr;
  // Appends "," + value for each of the group's fields.
  void (*appendFields)(const FrameRecord& frame, std::string& line) = nullptr;
};

// The instrument groups in column order (OIF411, COBALD, CFH, SKYDEW); each instrument's
// decoder adds its group here together with its section of the log record.
std::span<const CsvColumnGroup> InstrumentColumnGroups();

// Header line and one line per entry with GPS time and satellites, each ended by CR LF.
std::string BuildTelemetryCsv(const TelemetrySnapshot& points,
                              std::span<const CsvColumnGroup> groups = InstrumentColumnGroups(),
                              const ExportProgress& progress = {});

// Writes the CSV to `file`, replacing it atomically. An empty log writes nothing.
ExportOutcome SaveTelemetryCsv(const TelemetrySnapshot& points, const std::filesystem::path& file,
                               const ExportProgress& progress = {});

}  // namespace windlark
