#pragma once

#include <QWidget>
#include <functional>
#include <memory>
#include <string>

#include "base/ui/Prompts.h"
#include "map/MapGeometry.h"
#include "map/MapSettings.h"

class QCheckBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QSpinBox;

namespace windlark {

class TMapDownloader;

// "Offline Map Downloader": fills the tile cache for the area the map shows, down to a chosen
// zoom, on a worker thread, with its counters in the status bar.
class TMapDownloaderForm : public QWidget {
  Q_OBJECT

 public:
  // `confirm` asks a Yes/Cancel question; the real message box when empty.
  TMapDownloaderForm(Prompts prompts, std::function<bool(const QString&)> confirm = {},
                     QWidget* parent = nullptr);
  ~TMapDownloaderForm() override;

  void SetArea(int z0, std::int64_t x0, std::int64_t x1, std::int64_t y0, std::int64_t y1);
  void SetArea(const TileArea& area) { SetArea(area.zoom, area.x0, area.x1, area.y0, area.y1); }
  void SetMaxZoom(int zoom);
  void SetMapType(int type) { m_mapType = NormalMapType(type); }
  void SetMapDir(const std::string& path) { m_mapDir = path; }
  void SetServers(TileServers servers) { m_servers = std::move(servers); }
  void SetConfirm(std::function<bool(const QString&)> confirm) { m_confirm = std::move(confirm); }

  // The window is going away: a running download stops at once, mid-tile.
  void StopDownload();

  void Edit1Change();
  void Button1Click();
  void Button2Click();

  bool Downloading() const { return m_downloading; }
  std::int64_t Total() const { return m_total; }
  int TargetZoom() const;
  QSpinBox* ZoomControl() const { return m_zoom; }
  QCheckBox* OverwriteBox() const { return m_overwrite; }
  QString FromText() const;
  QString ToText() const;
  QString PanelText(int index) const;

 signals:
  // The download has ended and its message box was shown (tests wait for it).
  void DownloadEnded(int result, int downloaded);

 private:
  void DownloadFinished(int result, int downloaded);
  void ShowIdle();

  Prompts m_prompts;
  std::function<bool(const QString&)> m_confirm;
  TileArea m_area{3, 0, 0, 0, 0};
  std::int64_t m_total = 0;
  std::string m_mapDir;
  int m_mapType = kMapTypeOpenStreetMap;
  TileServers m_servers;
  bool m_downloading = false;
  int m_run = 0;
  std::unique_ptr<TMapDownloader> m_thread;

  QLabel* m_from = nullptr;
  QLabel* m_to = nullptr;
  QLabel* m_totalLabel = nullptr;
  QSpinBox* m_zoom = nullptr;
  QCheckBox* m_overwrite = nullptr;
  QPushButton* m_download = nullptr;
  QPushButton* m_cancel = nullptr;
  QProgressBar* m_gauge = nullptr;
  QLabel* m_panels[3] = {};
};

}  // namespace windlark
