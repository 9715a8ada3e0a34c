#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>

#include "base/ui/Prompts.h"
#include "records/TrackExport.h"
#include "records/io/SaveGpsFile.h"

class QAbstractButton;
class QWidget;

namespace windlark {

class TKmlProgressForm;
class TSaveGpsFile;

// "Export GPS track" and "Export Radiosonde Telemetry": the save dialogs, the export worker,
// its progress window and the messages at the end. Both buttons stay disabled while one runs.
class TExportControl : public QObject {
  Q_OBJECT

 public:
  // `data` takes the log, sonde id and launch time at the moment of the click.
  TExportControl(QWidget& owner, QAbstractButton& trackButton, QAbstractButton& telemetryButton,
                 Prompts& prompts, std::function<ExportData()> data);
  ~TExportControl() override;

  void ExportTrack();
  void ExportTelemetry();
  bool TrackBusy() const { return m_trackBusy; }
  bool TelemetryBusy() const { return m_telemetryBusy; }
  bool Running() const { return m_job != nullptr; }
  // Waits for an export that is still writing.
  void Shutdown();
  TKmlProgressForm& ProgressForm() { return *m_progress; }

 signals:
  // An export has ended and its message was shown.
  void ExportDone(bool ok);

 public slots:
  void ReportExportProgress(TSaveGpsFile::Phase phase, int percent);

 private:
  void Begin(bool telemetry);
  void Finish(bool ok, const QString& message);
  void EnableButtons(bool enabled);

  QWidget& m_owner;
  QAbstractButton& m_trackButton;
  QAbstractButton& m_telemetryButton;
  Prompts& m_prompts;
  std::function<ExportData()> m_data;
  TKmlProgressForm* m_progress;
  TSaveGpsFile* m_job = nullptr;
  bool m_trackBusy = false;
  bool m_telemetryBusy = false;
  QString m_folder;
};

}  // namespace windlark
