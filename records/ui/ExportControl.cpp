#include "records/ui/ExportControl.h"

#include <QAbstractButton>
#include <QFileInfo>

#include "base/ui/QtText.h"
#include "records/TelemetryCsv.h"
#include "records/io/SaveGpsFile.h"
#include "records/ui/KmlProgressForm.h"

namespace windlark {

TExportControl::TExportControl(QWidget& owner, QAbstractButton& trackButton,
                               QAbstractButton& telemetryButton, Prompts& prompts,
                               std::function<ExportData()> data)
    : m_owner(owner),
      m_trackButton(trackButton),
      m_telemetryButton(telemetryButton),
      m_prompts(prompts),
      m_data(std::move(data)),
      m_progress(new TKmlProgressForm(&owner)) {}

TExportControl::~TExportControl() {
  Shutdown();
}

void TExportControl::Shutdown() {
  if (m_job != nullptr) m_job->Wait();
}

void TExportControl::EnableButtons(bool enabled) {
  m_trackButton.setEnabled(enabled);
  m_telemetryButton.setEnabled(enabled);
}

void TExportControl::ExportTrack() {
  if (m_trackBusy) return;
  Begin(false);
}

void TExportControl::ExportTelemetry() {
  if (m_telemetryBusy) return;
  Begin(true);
}

void TExportControl::Begin(bool telemetry) {
  EnableButtons(false);
  ExportData data = m_data();
  if (data.points.empty()) {
    m_prompts.message(Prompts::Icon::Error,
                      ToQString(telemetry ? kTelemetryNoPointsText : kTrackNoPointsText));
    EnableButtons(true);
    return;
  }
  Prompts::SaveRequest request;
  if (telemetry) {
    request.title = QStringLiteral("Export Radiosonde Telemetry");
    request.filters = {QStringLiteral("Comma Separated Values (CSV) (*.csv)")};
    request.suffixes = {QStringLiteral("csv")};
  } else {
    request.title = QStringLiteral("Save Radiosonde GPS Track");
    request.filters = {QStringLiteral("Keyhole Markup Language file (kml) (*.kml)"),
                       QStringLiteral("GPS eXchange Format (gpx) (*.gpx)")};
    request.suffixes = {QStringLiteral("kml"), QStringLiteral("gpx")};
  }
  request.fileName = ToQString(DefaultExportFileName(data.sondeId, data.launchTimeText));
  request.folder = m_folder;
  const Prompts::SaveAnswer answer = m_prompts.saveFile(request);
  if (answer.path.isEmpty()) {
    EnableButtons(true);
    return;
  }
  m_folder = QFileInfo(answer.path).absolutePath();
  const ExportKind kind = telemetry                 ? ExportKind::Csv
                          : answer.filterIndex == 2 ? ExportKind::Gpx
                                                    : ExportKind::Kml;
  (telemetry ? m_telemetryBusy : m_trackBusy) = true;
  m_job = new TSaveGpsFile(std::move(data), kind, answer.path, this);
  connect(m_job, &TSaveGpsFile::Progress, this, &TExportControl::ReportExportProgress);
  connect(m_job, &TSaveGpsFile::Finished, this, &TExportControl::Finish);
  m_job->Start();
}

void TExportControl::ReportExportProgress(TSaveGpsFile::Phase phase, int percent) {
  if (m_job == nullptr) return;
  if (phase == TSaveGpsFile::Phase::Starting) {
    m_progress->ShowSaving(m_job->FileName(), &m_owner);
  } else if (phase == TSaveGpsFile::Phase::Writing) {
    m_progress->SetProgress(percent);
  }
}

void TExportControl::Finish(bool ok, const QString& message) {
  if (m_job == nullptr) return;
  const bool telemetry = m_job->Kind() == ExportKind::Csv;
  m_job->deleteLater();
  m_job = nullptr;
  m_progress->hide();
  m_prompts.message(ok ? Prompts::Icon::Information : Prompts::Icon::Error, message);
  (telemetry ? m_telemetryBusy : m_trackBusy) = false;
  EnableButtons(true);
  emit ExportDone(ok);
}

}  // namespace windlark
