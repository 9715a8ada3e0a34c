#pragma once

#include <QObject>
#include <QString>
#include <memory>

#include "records/TrackExport.h"

class QThread;

namespace windlark {

// One export (KML, GPX or telemetry CSV) written on its own thread over a copy of the log, so
// reception goes on meanwhile. Progress and the end are reported as queued signals.
class TSaveGpsFile : public QObject {
  Q_OBJECT

 public:
  enum class Phase { Starting = 0, Writing = 1, Finished = 2 };
  Q_ENUM(Phase)

  TSaveGpsFile(ExportData data, ExportKind kind, const QString& fileName,
               QObject* parent = nullptr);
  // Waits for a running export: it writes one file and cannot hang.
  ~TSaveGpsFile() override;

  void Start();
  void Wait();
  ExportKind Kind() const { return m_kind; }
  const QString& FileName() const { return m_fileName; }

 signals:
  // Starting, then Writing with `percent` done. From the export's thread.
  void Progress(TSaveGpsFile::Phase phase, int percent);
  // The Finished phase: the file is written, or `message` says why not.
  void Finished(bool ok, const QString& message);

 private:
  void Execute();

  ExportData m_data;
  ExportKind m_kind;
  QString m_fileName;
  std::unique_ptr<QThread> m_thread;
};

}  // namespace windlark
