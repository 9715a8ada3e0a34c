#pragma once

#include <QImage>
#include <QObject>
#include <QThread>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/Projection.h"
#include "map/AprsMarker.h"
#include "map/MapGeometry.h"
#include "map/MapSettings.h"
#include "map/io/TileEngine.h"
#include "records/GhostTrack.h"

namespace windlark {

class TMapImage;
class TTileLoader;

// The map: the tile grid filled by a loading thread, and the view drawn from it with the track,
// the ghost track, the home, the APRS sondes and the sonde marker over the tiles. Every member
// runs on the window's thread; the loading thread only fills slots and reports each tile.
class TDynMap : public QObject {
  Q_OBJECT

 public:
  // `view` may be null (drawing without a window: the benchmark).
  TDynMap(TMapImage* view, TileServers servers, QObject* parent = nullptr);
  ~TDynMap() override;

  // Starts the loading thread; Stop ends it promptly, also in the middle of a transfer.
  void Start();
  void Stop();

  void CenterOn(int zoom, double latitude, double longitude);
  void CenterOnMap(int zoom, double x, double y);
  void SetZoomKeepCenter(int zoom);
  void Relayout();
  void SetViewSize(int width, int height);
  void ReloadAll();
  void RequestTiles();
  void SetMapMode(MapMode mode);
  void SetMapType(int type);
  void SetMapDir(const std::string& path);
  void SetServers(TileServers servers);
  void SetZoomValue(int zoom) { m_zoomValue = zoom; }
  int GetZoom() const { return m_zoomValue; }
  // The grid in use, for the offline downloader.
  TileArea GetViewTiles() const;
  // True once a layout has been made.
  bool LaidOut() const { return m_laidOut; }
  const GridLayout& Layout() const { return m_layout; }
  int MapType() const;

  void RedrawAll();
  void Refresh();
  void UpdateSonde(std::string_view text, int climb, double altitude, double x, double y);
  bool IsSondeNearEdge() const { return m_nearEdge; }
  void SetHome(double x, double y);
  void SetAprsSondes(std::vector<MapAprsSonde> sondes);
  void SetSmallMarkers(bool small);
  // The track's map points, oldest first (the telemetry log's); read at every full redraw.
  void SetTrackSource(std::function<std::vector<MapPoint>()> source) {
    m_trackSource = std::move(source);
  }
  void SetGhostTrack(std::vector<GhostPoint> points) { m_ghost = std::move(points); }

  void BeginDrag(int x, int y);
  void DragTo(int x, int y);
  void EndDrag();
  bool Dragging() const { return m_dragging; }

  // The picture last presented to the view.
  const QImage& Composition() const { return m_composition; }
  int DownloadedTiles() const { return m_engine.downloaded.load(); }
  // The loading thread's worker, for tests that wait for a pass.
  TTileLoader* Loader() const { return m_loader; }

 signals:
  // A tile was placed: wParam the downloaded-tile counter, lParam 0.
  void UpdateOSMMap(int wParam, int lParam);

 private:
  void LayoutGrid(const GridLayout& layout);
  void Compose();
  void DrawOverlay();
  void DrawMarkers(ViewPoint sonde);
  void DrawAprsSonde(QPainter& painter, const MapAprsSonde& sonde, int x, int y) const;
  void DrawSondeMarker(QPainter& painter, int x, int y) const;
  void Present();
  void AddTrackDot(ViewPoint p);

  TMapImage* m_view;
  TileEngine m_engine;
  QThread m_thread;
  TTileLoader* m_loader = nullptr;
  TileServers m_servers;

  GridLayout m_layout;
  bool m_laidOut = false;
  int m_zoomValue = 12;
  int m_width = 0;
  int m_height = 0;
  QImage m_composition;
  QImage m_overlay;
  QImage m_noMap;

  bool m_dragging = false;
  int m_dragStartX = 0;
  int m_dragStartY = 0;
  int m_dragX = 0;
  int m_dragY = 0;

  ViewPoint m_lastSonde{-5000, -5000};
  double m_altitude = 0;
  std::string m_secondLine;
  int m_climb = 0;
  bool m_nearEdge = false;
  double m_homeX = 0.5;
  double m_homeY = 0.5;
  std::vector<MapAprsSonde> m_aprs;
  bool m_smallMarkers = false;
  std::function<std::vector<MapPoint>()> m_trackSource;
  std::vector<GhostPoint> m_ghost;
};

}  // namespace windlark
