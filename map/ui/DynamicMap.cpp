#include "map/ui/DynamicMap.h"

#include <QMutexLocker>
#include <QPainter>
#include <QPolygon>
#include <algorithm>
#include <cmath>

#include "base/Format.h"
#include "base/ui/SansFont.h"
#include "map/io/TileLoader.h"
#include "map/ui/MapImage.h"

namespace windlark {

namespace {

const QColor kBackground(240, 240, 240);
const QColor kTrackPen(80, 80, 80);
const QColor kTrackDot(0, 0, 255);
const QColor kYellow(255, 255, 0);
const QColor kGreen(0, 255, 0);
const QColor kSilver(192, 192, 192);
const QColor kRed(255, 0, 0);
const QColor kBlue(0, 0, 255);
// The ghost line runs off the picture unclipped; far-away points are held where the painter
// still counts safely.
constexpr long long kPaintLimit = 1 << 24;

// The default face: about 8 points; the APRS name plates about 7.
constexpr int kMarkerFontPx = 11;
constexpr int kPlateFontPx = 9;

QImage NoMapTile() {
  QImage tile(kTileSize, kTileSize, QImage::Format_RGB32);
  tile.fill(kBackground);
  QPainter painter(&tile);
  painter.setPen(QColor(224, 224, 224));
  painter.drawLine(255, 0, 0, 0);
  painter.drawLine(0, 0, 0, 255);
  painter.setPen(QColor(208, 208, 208));
  painter.setFont(SansFont(kMarkerFontPx));
  painter.drawText(QRect(110, 120, 140, 20), Qt::AlignLeft | Qt::AlignTop,
                   QStringLiteral("No Map"));
  return tile;
}

int Paintable(long long v) {
  return static_cast<int>(std::clamp(v, -kPaintLimit, kPaintLimit));
}

bool Inside(long long x, long long y, int width, int height) {
  return x >= 0 && x <= width && y >= 0 && y <= height;
}

// "00000.0": five integer digits at least, one decimal.
QString AltitudeText(double metres) {
  std::string digits = FormatFixed(std::fabs(metres), 1);
  const bool negative = metres < 0 && digits != "0.0";
  while (digits.size() < 7) digits.insert(digits.begin(), '0');
  return QString::fromStdString((negative ? "-" : "") + digits + " m");
}

}  // namespace

TDynMap::TDynMap(TMapImage* view, TileServers servers, QObject* parent)
    : QObject(parent), m_view(view), m_servers(std::move(servers)), m_noMap(NoMapTile()) {
  m_thread.setObjectName(QStringLiteral("TDynMap"));
  m_loader = new TTileLoader(m_engine, m_servers);
  m_loader->moveToThread(&m_thread);
  connect(&m_thread, &QThread::finished, m_loader, &QObject::deleteLater);
  connect(m_loader, &TTileLoader::TilePlaced, this,
          [this](int downloaded) { emit UpdateOSMMap(downloaded, 0); });
}

TDynMap::~TDynMap() {
  Stop();
  if (m_loader != nullptr && !m_thread.isRunning()) delete m_loader;
}

void TDynMap::Start() {
  if (!m_thread.isRunning() && m_loader != nullptr) m_thread.start();
}

void TDynMap::Stop() {
  if (!m_thread.isRunning()) return;
  m_thread.requestInterruption();
  m_thread.quit();
  m_thread.wait();
  m_loader = nullptr;  // deleted as its thread finished
}

void TDynMap::RequestTiles() {
  if (m_loader == nullptr) return;
  TTileLoader* loader = m_loader;
  QMetaObject::invokeMethod(
      loader, [loader] { loader->RequestTiles(); }, Qt::QueuedConnection);
}

void TDynMap::SetMapMode(MapMode mode) {
  QMutexLocker locker(&m_engine.lock);
  m_engine.source.mode = mode;
}

void TDynMap::SetMapType(int type) {
  QMutexLocker locker(&m_engine.lock);
  m_engine.source.mapType = NormalMapType(type);
}

int TDynMap::MapType() const {
  QMutexLocker locker(&m_engine.lock);
  return m_engine.source.mapType;
}

void TDynMap::SetMapDir(const std::string& path) {
  QMutexLocker locker(&m_engine.lock);
  m_engine.source.mapDir = path;
}

void TDynMap::SetServers(TileServers servers) {
  m_servers = servers;
  if (m_loader == nullptr) return;
  TTileLoader* loader = m_loader;
  QMetaObject::invokeMethod(
      loader, [loader, servers = std::move(servers)] { loader->SetServers(servers); },
      Qt::QueuedConnection);
}

TileArea TDynMap::GetViewTiles() const {
  return {m_layout.zoom, m_layout.originX,
          static_cast<std::int64_t>(m_layout.originX) + m_layout.columns - 1, m_layout.originY,
          static_cast<std::int64_t>(m_layout.originY) + m_layout.rows - 1};
}

void TDynMap::LayoutGrid(const GridLayout& layout) {
  bool request = false;
  {
    QMutexLocker locker(&m_engine.lock);
    request = m_engine.grid.LayoutGrid(layout);
  }
  m_layout = layout;
  m_laidOut = true;
  m_zoomValue = layout.zoom;
  if (request) RequestTiles();
}

void TDynMap::CenterOn(int zoom, double latitude, double longitude) {
  const MapPoint p = Project(latitude, longitude);
  CenterOnMap(zoom, p.x, p.y);
}

void TDynMap::CenterOnMap(int zoom, double x, double y) {
  if (m_width <= 0 || m_height <= 0) {
    m_zoomValue = zoom;
    return;
  }
  LayoutGrid(CenterLayout(zoom, x, y, m_width, m_height));
  RedrawAll();
}

void TDynMap::SetZoomKeepCenter(int zoom) {
  if (!m_laidOut) {
    m_zoomValue = zoom;
    return;
  }
  const MapXY centre = ViewCentre(m_layout, m_width, m_height);
  CenterOnMap(zoom, centre.x, centre.y);
}

void TDynMap::Relayout() {
  if (!m_laidOut || m_width <= 0 || m_height <= 0) {
    m_dragX = m_dragY = 0;
    return;
  }
  const GridLayout layout = RelayoutOf(m_layout, m_dragX, m_dragY, m_width, m_height);
  m_dragX = m_dragY = 0;
  LayoutGrid(layout);
  RedrawAll();
}

void TDynMap::SetViewSize(int width, int height) {
  width = std::max(width, 1);
  height = std::max(height, 1);
  m_width = width;
  m_height = height;
  m_composition = QImage(width, height, QImage::Format_RGB32);
  m_composition.fill(kBackground);
  m_overlay = QImage(width, height, QImage::Format_ARGB32_Premultiplied);
  m_overlay.fill(Qt::transparent);
  if (m_laidOut) {
    Relayout();
  } else {
    Present();
  }
}

void TDynMap::ReloadAll() {
  {
    QMutexLocker locker(&m_engine.lock);
    m_engine.grid.MarkAllUnloaded();
  }
  if (!m_laidOut) return;
  LayoutGrid(m_layout);
  RedrawAll();
}

void TDynMap::RedrawAll() {
  DrawOverlay();
  Compose();
  DrawMarkers(m_lastSonde);
  Present();
}

void TDynMap::Refresh() {
  Compose();
  DrawMarkers(m_lastSonde);
  Present();
}

void TDynMap::Compose() {
  if (m_composition.isNull()) return;
  m_composition.fill(kBackground);
  QPainter painter(&m_composition);
  {
    QMutexLocker locker(&m_engine.lock);
    const TileGrid<QImage>& grid = m_engine.grid;
    const GridLayout& g = grid.Layout();
    for (int r = 0; r < g.rows; ++r) {
      for (int c = 0; c < g.columns; ++c) {
        const TileSlot<QImage>& slot = grid.At(c, r);
        const int x = c * kTileSize + g.xOffset + m_dragX;
        const int y = r * kTileSize + g.yOffset + m_dragY;
        if (x >= m_width || y >= m_height || x + kTileSize <= 0 || y + kTileSize <= 0) continue;
        painter.drawImage(x, y, slot.loaded && !slot.image.isNull() ? slot.image : m_noMap);
      }
    }
  }
  painter.drawImage(m_dragX, m_dragY, m_overlay);
}

void TDynMap::DrawOverlay() {
  if (m_overlay.isNull()) return;
  m_overlay.fill(Qt::transparent);
  QPainter painter(&m_overlay);
  painter.setPen(QPen(kTrackPen, 2));
  if (m_ghost.size() > 1) {
    QPolygon line;
    line.reserve(static_cast<qsizetype>(m_ghost.size()));
    for (const GhostPoint& point : m_ghost) {
      const ViewPoint p = ViewPosition(m_layout, point.mapX, point.mapY);
      line << QPoint(Paintable(p.x), Paintable(p.y));
    }
    painter.drawPolyline(line);
  }
  m_lastSonde = {-5000, -5000};
  if (!m_trackSource) return;
  const std::vector<MapPoint> track = m_trackSource();
  for (const MapPoint& point : track) {
    const ViewPoint p = ViewPosition(m_layout, point.x, point.y);
    if (Inside(p.x, p.y, m_width, m_height)) {
      painter.fillRect(QRect(static_cast<int>(p.x) - 1, static_cast<int>(p.y) - 1, 2, 2),
                       kTrackDot);
    }
  }
  if (!track.empty()) m_lastSonde = ViewPosition(m_layout, track.back().x, track.back().y);
}

void TDynMap::AddTrackDot(ViewPoint p) {
  if (m_overlay.isNull()) return;
  QPainter painter(&m_overlay);
  painter.fillRect(QRect(static_cast<int>(p.x) - 1, static_cast<int>(p.y) - 1, 2, 2), kTrackDot);
}

void TDynMap::DrawMarkers(ViewPoint sonde) {
  m_lastSonde = sonde;
  if (m_composition.isNull()) return;
  QPainter painter(&m_composition);
  painter.setRenderHint(QPainter::Antialiasing, false);

  const ViewPoint home = ViewPosition(m_layout, m_homeX, m_homeY);
  const long long hx = home.x + m_dragX;
  const long long hy = home.y + m_dragY;
  if (m_laidOut && Inside(hx, hy, m_width, m_height)) {
    const int x = static_cast<int>(hx);
    const int y = static_cast<int>(hy);
    painter.setPen(QPen(Qt::black, 2));
    painter.setBrush(kYellow);
    painter.drawPolygon(
        QPolygon({QPoint(x, y - 10), QPoint(x + 10, y), QPoint(x, y + 10), QPoint(x - 10, y)}));
    painter.fillRect(QRect(x - 1, y - 1, 3, 3), Qt::black);
  }

  if (m_laidOut) {
    for (const MapAprsSonde& entry : m_aprs) {
      const ViewPoint p = ViewPosition(m_layout, entry.mapX, entry.mapY);
      const long long x = p.x + m_dragX;
      const long long y = p.y + m_dragY;
      if (Inside(x, y, m_width, m_height)) {
        DrawAprsSonde(painter, entry, static_cast<int>(x), static_cast<int>(y));
      }
    }
  }

  const long long sx = sonde.x + m_dragX;
  const long long sy = sonde.y + m_dragY;
  if (Inside(sx, sy, m_width, m_height)) {
    DrawSondeMarker(painter, static_cast<int>(sx), static_cast<int>(sy));
  }
}

void TDynMap::DrawAprsSonde(QPainter& painter, const MapAprsSonde& sonde, int x, int y) const {
  const int a = m_smallMarkers ? 8 : 12;
  const int h = m_smallMarkers ? 4 : 6;
  painter.setPen(QPen(Qt::black, 2));
  painter.drawLine(x - a, y, x + a, y);
  painter.drawLine(x, y - a, x, y + a);
  const QColor fill = sonde.ageCounter > 1 ? (sonde.ownSonde ? kGreen : kYellow) : kSilver;
  painter.setBrush(fill);
  painter.drawPolygon(QPolygon(
      {QPoint(x - h, y + h), QPoint(x - h, y - h), QPoint(x + h, y - h), QPoint(x + h, y + h)}));
  if (sonde.programTag) painter.drawLine(x - 1, y, x, y);
  if (sonde.ageCounter == 1) {
    painter.setPen(QPen(kBlue, 1));
    painter.drawLine(x - h - 1, y - h - 1, x + h + 1, y + h + 1);
    painter.drawLine(x - h - 1, y + h, x + h + 1, y - h - 2);
  }
  if (!m_smallMarkers) {
    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(Qt::white);
    painter.drawPolygon(QPolygon({QPoint(x - 26, y + 25), QPoint(x - 26, y + 15),
                                  QPoint(x + 26, y + 15), QPoint(x + 26, y + 25)}));
    painter.setFont(SansFont(kPlateFontPx));
    painter.drawText(QRect(x - 24, y + 15, 50, 11), Qt::AlignLeft | Qt::AlignVCenter,
                     QString::fromStdString(sonde.name));
  }
}

void TDynMap::DrawSondeMarker(QPainter& painter, int x, int y) const {
  const auto figure = [&](const QPen& pen) {
    painter.setPen(pen);
    painter.drawPolyline(
        QPolygon({QPoint(x - 10, y - 5), QPoint(x - 10, y - 10), QPoint(x - 5, y - 10)}));
    painter.drawPolyline(
        QPolygon({QPoint(x + 5, y - 10), QPoint(x + 10, y - 10), QPoint(x + 10, y - 5)}));
    painter.drawPolyline(
        QPolygon({QPoint(x + 10, y + 5), QPoint(x + 10, y + 10), QPoint(x + 5, y + 10)}));
    painter.drawPolyline(
        QPolygon({QPoint(x - 5, y + 10), QPoint(x - 10, y + 10), QPoint(x - 10, y + 5)}));
    painter.drawLine(x - 15, y, x - 5, y);
    painter.drawLine(x + 5, y, x + 15, y);
    painter.drawLine(x, y - 15, x, y - 5);
    painter.drawLine(x, y + 5, x, y + 15);
  };
  painter.setBrush(Qt::NoBrush);
  figure(QPen(Qt::black, 3));
  figure(QPen(Qt::white, 1));

  painter.setPen(QPen(Qt::black, 1));
  painter.setBrush(Qt::white);
  painter.drawRect(QRect(x + 22, y - 17, 75, 33));
  painter.setBrush(Qt::NoBrush);
  painter.setFont(SansFont(kMarkerFontPx));
  painter.drawText(QRect(x + 25, y - 15, 72, 16), Qt::AlignLeft | Qt::AlignTop,
                   AltitudeText(m_altitude));
  painter.drawText(QRect(x + 25, y + 1, 72, 16), Qt::AlignLeft | Qt::AlignTop,
                   QString::fromStdString(m_secondLine));
  if (m_climb == 0) return;
  painter.setPen(QPen(Qt::black, 1));
  if (m_climb > 0) {
    painter.setBrush(kGreen);
    painter.drawPolygon(QPolygon(
        {QPoint(x + 80, y + 1), QPoint(x + 75, y + 1), QPoint(x + 85, y - 9), QPoint(x + 95, y + 1),
         QPoint(x + 90, y + 1), QPoint(x + 90, y + 9), QPoint(x + 80, y + 9)}));
  } else {
    painter.setBrush(kRed);
    painter.drawPolygon(QPolygon(
        {QPoint(x + 80, y - 1), QPoint(x + 75, y - 1), QPoint(x + 85, y + 9), QPoint(x + 95, y - 1),
         QPoint(x + 90, y - 1), QPoint(x + 90, y - 9), QPoint(x + 80, y - 9)}));
  }
}

void TDynMap::Present() {
  if (m_view != nullptr) m_view->SetPicture(m_composition);
}

void TDynMap::UpdateSonde(std::string_view text, int climb, double altitude, double x, double y) {
  m_altitude = altitude;
  m_secondLine = std::string(text);
  m_climb = climb;
  if (!m_laidOut) return;
  const ViewPoint p = ViewPosition(m_layout, x, y);
  if (Inside(p.x, p.y, m_width, m_height)) AddTrackDot(p);
  m_nearEdge = NearEdge(p, m_width, m_height);
  Compose();
  DrawMarkers(p);
  Present();
}

void TDynMap::SetHome(double x, double y) {
  m_homeX = x;
  m_homeY = y;
}

void TDynMap::SetAprsSondes(std::vector<MapAprsSonde> sondes) {
  m_aprs = std::move(sondes);
}

void TDynMap::SetSmallMarkers(bool small) {
  m_smallMarkers = small;
}

void TDynMap::BeginDrag(int x, int y) {
  m_dragStartX = x;
  m_dragStartY = y;
  m_dragging = true;
}

void TDynMap::DragTo(int x, int y) {
  if (!m_dragging) return;
  m_dragX = x - m_dragStartX;
  m_dragY = y - m_dragStartY;
  Refresh();
}

void TDynMap::EndDrag() {
  if (!m_dragging) return;
  m_dragging = false;
  Relayout();
}

}  // namespace windlark
