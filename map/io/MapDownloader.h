#pragma once

#include <QThread>
#include <atomic>
#include <string>

#include "map/MapGeometry.h"
#include "map/MapSettings.h"

namespace windlark {

// What one offline download covers, handed over before it starts.
struct DownloadJob {
  TileArea area;  // at the view's zoom
  int toZoom = 0;
  std::int64_t total = 0;
  std::string mapDir;
  int mapType = kMapTypeOpenStreetMap;
  bool overwrite = false;
  TileServers servers;
};

// Fills the tile cache for an area down to a zoom, one tile after the other, on its own thread.
// Progress and the end are signals, delivered to the window's thread.
class TMapDownloader : public QThread {
  Q_OBJECT

 public:
  static constexpr int kNoDirectory = -1;
  static constexpr int kCompleted = 1;
  static constexpr int kTerminated = 2;

  explicit TMapDownloader(DownloadJob job, QObject* parent = nullptr);
  ~TMapDownloader() override;

  // Stops after the tile being fetched; Cancel stops that one too (the window closes).
  void Terminate() { m_terminate.store(true); }
  void Cancel();

  // 1 downloaded, 0 skipped, -1 failed.
  enum class Fetch { Failed = -1, Skipped = 0, Downloaded = 1 };

 signals:
  // Counters after each tile (1 downloaded, 0 skipped, -1 failed was the last result).
  void Progress(int lastResult, int downloaded, int failed, int skipped);
  // kNoDirectory, kCompleted or kTerminated, with the downloaded count.
  void Finished(int result, int downloaded);

 protected:
  void run() override;

 private:
  bool Terminated() const { return m_terminate.load() || isInterruptionRequested(); }

  DownloadJob m_job;
  std::atomic<bool> m_terminate{false};
};

}  // namespace windlark
