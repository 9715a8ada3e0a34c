#include "records/TelemetryCsv.h"

#include <vector>

#include "base/Format.h"

namespace windlark {

namespace {

constexpr std::string_view kLineEnd = "\r\n";

// A character range of the stored time text, empty where the text is shorter.
std::string_view Slice(std::string_view text, std::size_t from, std::size_t length) {
  return from < text.size() ? text.substr(from, length) : std::string_view{};
}

void AppendField(std::string& line, const std::string& value) {
  line += ',';
  line += value;
}

void AppendCoreFields(const TelemetryPoint& point, std::string& line) {
  const FrameRecord& frame = point.frame;
  line += Slice(point.timestamp, 0, 10);
  line += ',';
  line += Slice(point.timestamp, 11, 8);
  AppendField(line, FormatFixed(point.latitude, 6));
  AppendField(line, FormatFixed(point.longitude, 6));
  AppendField(line, FormatFixed(point.altitude, 1));
  AppendField(line, FormatFixed(frame.batteryVoltage, 1));
  AppendField(line, FormatInt(frame.numSatellites));
  AppendField(line, FormatFixed(frame.horizontalSpeed, 1));
  AppendField(line, FormatFixed(frame.windDirection, 0));
  AppendField(line, FormatFixed(frame.verticalSpeed, 1));
  if (frame.ptuValid != 1) {
    line += ",,,,";
    return;
  }
  AppendField(line, FormatFixed(frame.temperature, 1));
  AppendField(line, FormatFixed(frame.pressure, 1));
  if (frame.humidity > 0) {
    AppendField(line, FormatFixed(frame.humidity, 1));
    AppendField(line, FormatFixed(frame.dewPoint, 1));
  } else {
    line += ",,";
  }
}

// The groups with columns in this file: those some entry of the whole log carries.
std::vector<const CsvColumnGroup*> PresentGroups(const TelemetrySnapshot& points,
                                                 std::span<const CsvColumnGroup> groups) {
  std::vector<const CsvColumnGroup*> present;
  for (const CsvColumnGroup& group : groups) {
    for (const TelemetryPoint& point : points) {
      if (group.isPresent(point.frame)) {
        present.push_back(&group);
        break;
      }
    }
  }
  return present;
}

}  // namespace

std::string BuildTelemetryCsv(const TelemetrySnapshot& points,
                              std::span<const CsvColumnGroup> groups,
                              const ExportProgress& progress) {
  const auto present = PresentGroups(points, groups);
  std::string text(kCsvBaseHeader);
  for (const CsvColumnGroup* group : present) text += group->headerPiece;
  text += kLineEnd;

  ProgressSteps steps(progress, points.size());
  for (std::size_t i = 0; i < points.size(); ++i) {
    const TelemetryPoint& point = points[i];
    if (point.frame.gpsTimeValid == 1 && point.frame.numSatellites > 0) {
      AppendCoreFields(point, text);
      for (const CsvColumnGroup* group : present) {
        if (group->isPresent(point.frame)) {
          group->appendFields(point.frame, text);
        } else {
          text.append(static_cast<std::size_t>(group->fieldCount), ',');
        }
      }
      text += kLineEnd;
    }
    steps.Done(i + 1);
  }
  return text;
}

ExportOutcome SaveTelemetryCsv(const TelemetrySnapshot& points, const std::filesystem::path& file,
                               const ExportProgress& progress) {
  if (points.empty()) return {false, std::string(kTelemetryNoPointsText)};
  const FileWriteResult written =
      WriteFileAtomically(file, BuildTelemetryCsv(points, InstrumentColumnGroups(), progress));
  if (!written.ok) return {false, std::string(kTelemetryFailedText) + written.error};
  return {true, std::string(kTelemetrySavedText)};
}

}  // namespace windlark
