#pragma once

#include <QString>
#include <QThread>
#include <functional>

#include "base/io/SyncCall.h"
#include "records/RawReplay.h"

namespace windlark {

// The replay worker: reads a raw file line by line on its own thread, paced by the chosen speed,
// and hands every frame to the window's thread, waiting until it has been decoded there.
class TLogFileLoader : public QThread {
  Q_OBJECT

 public:
  // Decodes one frame; runs on the thread of `window`.
  using DecodeStep = std::function<void(const RawFrame&)>;

  TLogFileLoader(const QString& fileName, QObject* window, DecodeStep decode,
                 QObject* parent = nullptr);
  // Ends a running replay and waits for it: a running thread is never destroyed.
  ~TLogFileLoader() override;

  void SetSpeed(ReplaySpeed speed) { m_replay.SetSpeed(speed); }
  bool Paused() const { return m_replay.Paused(); }
  int DelayMs() const { return m_replay.DelayMs(); }
  // Asks the worker to end; also frees it when it waits for the window.
  void Terminate();
  int FramesDecoded() const { return m_replay.FramesDecoded(); }

  // Lines reported one by one before the rest are only counted.
  static constexpr int kReportedMessages = 20;

 signals:
  // A line that was skipped, or why the file could not be read. From the worker's thread.
  void Message(const QString& text);
  // The file could not be opened; `text` says why.
  void OpenFailed(const QString& text);

 protected:
  void run() override;

 private:
  QString m_fileName;
  DecodeStep m_decode;
  RawReplay m_replay;
  SyncCall m_sync;
};

}  // namespace windlark
