#include "records/TrackExport.h"

#include <cmath>
#include <pugixml.hpp>

#include "base/Format.h"
#include "records/TelemetryCsv.h"

namespace windlark {

namespace {

// The sonde id comes straight from the air: anything outside printable ASCII would make the
// document unreadable (XML forbids control characters, and stray bytes are not UTF-8).
std::string PrintableAscii(std::string_view text, char replacement) {
  std::string out;
  out.reserve(text.size());
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    out += (byte >= 0x20 && byte < 0x7F) ? c : replacement;
  }
  return out;
}

// A track point needs satellites behind it and a position that can be written as numbers.
bool IsTrackPoint(const TelemetryPoint& point) {
  return point.frame.numSatellites > 0 && std::isfinite(point.latitude) &&
         std::isfinite(point.longitude) && std::isfinite(point.altitude);
}

std::string Degrees(double value) {
  return FormatFixed(value, 6);
}

std::string Metres(double value) {
  return FormatFixed(value, 1);
}

class StringWriter : public pugi::xml_writer {
 public:
  void write(const void* data, std::size_t size) override {
    m_text.append(static_cast<const char*>(data), size);
  }
  std::string Take() { return std::move(m_text); }

 private:
  std::string m_text;
};

pugi::xml_document NewDocument() {
  pugi::xml_document doc;
  auto declaration = doc.append_child(pugi::node_declaration);
  declaration.append_attribute("version").set_value("1.0");
  declaration.append_attribute("encoding").set_value("utf-8");
  return doc;
}

std::string Serialise(const pugi::xml_document& doc) {
  StringWriter writer;
  doc.save(writer, "  ", pugi::format_indent, pugi::encoding_utf8);
  return writer.Take();
}

void AddText(pugi::xml_node parent, const char* name, const std::string& text) {
  parent.append_child(name).text().set(text.c_str());
}

void AddAttribute(pugi::xml_node node, const char* name, std::string_view value) {
  node.append_attribute(name).set_value(std::string(value).c_str());
}

}  // namespace

std::string TrackDocumentName(std::string_view sondeId, std::string_view launchTimeText) {
  return "Radiosonde " + PrintableAscii(sondeId, '?') + " - " + PrintableAscii(launchTimeText, '?');
}

std::string DefaultExportFileName(std::string_view sondeId, std::string_view launchTimeText) {
  std::string name =
      "Radiosonde_" + PrintableAscii(sondeId, '_') + "_" + PrintableAscii(launchTimeText, '_');
  for (char& c : name) {
    if (c == '/' || c == '\\') c = '_';
  }
  return name;
}

std::string BuildKml(const ExportData& data, const ExportProgress& progress) {
  pugi::xml_document doc = NewDocument();
  auto kml = doc.append_child("kml");
  AddAttribute(kml, "xmlns", kKmlNamespace);
  auto document = kml.append_child("Document");
  AddText(document, "name", TrackDocumentName(data.sondeId, data.launchTimeText));

  auto style = document.append_child("Style");
  style.append_attribute("id").set_value("track");
  auto lineStyle = style.append_child("LineStyle");
  AddText(lineStyle, "color", "ff00ffff");
  AddText(lineStyle, "width", "2");
  auto polyStyle = style.append_child("PolyStyle");
  AddText(polyStyle, "color", "3c00ffff");
  AddText(polyStyle, "outline", "0");

  auto placemark = document.append_child("Placemark");
  AddText(placemark, "name", "Flight Path");
  AddText(placemark, "styleUrl", "#track");
  auto lineString = placemark.append_child("LineString");
  AddText(lineString, "tessellate", "1");
  AddText(lineString, "extrude", "1");
  AddText(lineString, "altitudeMode", "absolute");

  std::string coordinates = "\r";
  ProgressSteps steps(progress, data.points.size());
  for (std::size_t i = 0; i < data.points.size(); ++i) {
    const TelemetryPoint& point = data.points[i];
    if (IsTrackPoint(point)) {
      coordinates += Degrees(point.longitude) + "," + Degrees(point.latitude) + "," +
                     Metres(point.altitude) + " \r";
    }
    steps.Done(i + 1);
  }
  AddText(lineString, "coordinates", coordinates);
  return Serialise(doc);
}

std::string BuildGpx(const ExportData& data, const ExportProgress& progress,
                     std::string_view publisherWebPage) {
  pugi::xml_document doc = NewDocument();
  auto gpx = doc.append_child("gpx");
  gpx.append_attribute("version").set_value("1.1");
  AddAttribute(gpx, "xmlns", kGpxNamespace);
  AddAttribute(gpx, "creator", kGpxCreator);
  AddAttribute(gpx, "xmlns:xsi", kXmlSchemaInstance);
  AddAttribute(gpx, "xsi:schemaLocation",
               std::string(kGpxNamespace) + " " + std::string(kGpxSchemaLocation));
  AddAttribute(gpx.append_child("metadata").append_child("link"), "href", publisherWebPage);

  auto track = gpx.append_child("trk");
  AddText(track, "name", TrackDocumentName(data.sondeId, data.launchTimeText));
  auto segment = track.append_child("trkseg");

  ProgressSteps steps(progress, data.points.size());
  for (std::size_t i = 0; i < data.points.size(); ++i) {
    const TelemetryPoint& point = data.points[i];
    if (IsTrackPoint(point)) {
      auto trackPoint = segment.append_child("trkpt");
      AddAttribute(trackPoint, "lat", Degrees(point.latitude));
      AddAttribute(trackPoint, "lon", Degrees(point.longitude));
      AddText(trackPoint, "ele", Metres(point.altitude));
      // Before the first time block there is no time; an empty one is not a valid GPX time.
      if (!point.timestamp.empty()) {
        AddText(trackPoint, "time", PrintableAscii(point.timestamp, '?'));
      }
    }
    steps.Done(i + 1);
  }
  return Serialise(doc);
}

ExportOutcome SaveTrackFile(const ExportData& data, ExportKind kind,
                            const std::filesystem::path& file, const ExportProgress& progress) {
  if (data.points.empty()) return {false, std::string(kTrackNoPointsText)};
  const std::string text =
      kind == ExportKind::Gpx ? BuildGpx(data, progress) : BuildKml(data, progress);
  const FileWriteResult written = WriteFileAtomically(file, text);
  if (!written.ok) return {false, std::string(kTrackFailedText) + written.error};
  return {true, std::string(kTrackSavedText)};
}

ExportOutcome RunExport(const ExportData& data, ExportKind kind, const std::filesystem::path& file,
                        const ExportProgress& progress) {
  if (kind == ExportKind::Csv) return SaveTelemetryCsv(data.points, file, progress);
  return SaveTrackFile(data, kind, file, progress);
}

}  // namespace windlark
