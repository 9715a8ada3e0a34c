#include "records/io/SaveGpsFile.h"

#include <QThread>

namespace windlark {

TSaveGpsFile::TSaveGpsFile(ExportData data, ExportKind kind, const QString& fileName,
                           QObject* parent)
    : QObject(parent), m_data(std::move(data)), m_kind(kind), m_fileName(fileName) {}

TSaveGpsFile::~TSaveGpsFile() {
  Wait();
}

void TSaveGpsFile::Start() {
  if (m_thread) return;
  m_thread.reset(QThread::create([this] { Execute(); }));
  m_thread->start();
}

void TSaveGpsFile::Wait() {
  if (m_thread) m_thread->wait();
}

void TSaveGpsFile::Execute() {
  emit Progress(Phase::Starting, 0);
  const ExportOutcome outcome =
      RunExport(m_data, m_kind, m_fileName.toStdString(),
                [this](int percent) { emit Progress(Phase::Writing, percent); });
  emit Finished(outcome.ok, QString::fromStdString(outcome.message));
}

}  // namespace windlark
