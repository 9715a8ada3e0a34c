#pragma once

#include <QObject>
#include <QString>
#include <atomic>
#include <memory>
#include <string>

#include "sondehub/Uploader.h"

namespace windlark {

// The SondeHub upload on its own thread (Execute, started by the thread's start): it makes its
// HTTP client there and runs the uploader until Terminate or Finish, then ends the thread. Frames
// are added from the window's thread; the events-log lines leave as a queued signal.
class TSondeHub : public QObject {
  Q_OBJECT

 public:
  TSondeHub(std::string baseUrl, SondeHubStation station, std::string caFile,
            SondeHubTiming timing = {}, std::size_t maxFrames = kMaxQueuedFrames,
            QObject* parent = nullptr);
  ~TSondeHub() override;

  void Add(std::string telemetryObject) { m_uploader->Add(std::move(telemetryObject)); }
  // From any thread: Execute returns at once.
  void Terminate() { m_uploader->Stop(); }
  // From any thread: Execute sends what is pending, for at most `deadline`, then returns.
  void Finish(std::chrono::milliseconds deadline) { m_uploader->Finish(deadline); }
  SondeHubUploader::Counts Stats() const { return m_uploader->Stats(); }
  const SondeHubStation& Station() const { return m_station; }

 public slots:
  void Execute();

 signals:
  void EventText(const QString& line);
  void Finished();

 private:
  class Forward;
  std::unique_ptr<Forward> m_transport;
  std::unique_ptr<SondeHubUploader> m_uploader;
  SondeHubStation m_station;
  std::string m_caFile;
};

}  // namespace windlark
