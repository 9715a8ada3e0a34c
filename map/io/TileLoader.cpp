#include "map/io/TileLoader.h"

#include <QFile>
#include <QMutexLocker>
#include <QThread>

#include "map/MapGeometry.h"
#include "map/TileStore.h"
#include "map/io/TileClient.h"
#include "map/io/TileEngine.h"

namespace windlark {

namespace {

constexpr int kAttempts = 2;

// A tile number no server has (beyond a pole or the antimeridian) is never asked for.
bool ExistingTile(int zoom, std::int32_t x, std::int32_t y) {
  const long long count = 1LL << zoom;
  return x >= 0 && y >= 0 && x < count && y < count;
}

// The cached tile, or a null image when there is none. A file that does not decode (truncated,
// not a PNG) counts as missing, and `damaged` says so.
QImage LoadCachedTile(const std::filesystem::path& file, bool& damaged) {
  damaged = false;
  QFile in(QString::fromStdString(file.string()));
  if (!in.open(QIODevice::ReadOnly)) return {};
  QImage tile = DecodeTile(in.readAll());
  damaged = tile.isNull();
  return tile;
}

}  // namespace

TTileLoader::TTileLoader(TileEngine& engine, TileServers servers)
    : m_engine(engine), m_servers(std::move(servers)) {}

TTileLoader::~TTileLoader() = default;

void TTileLoader::SetServers(TileServers servers) {
  m_servers = std::move(servers);
  if (m_client) m_client->SetServers(m_servers);
}

bool TTileLoader::Stopping() const {
  return QThread::currentThread()->isInterruptionRequested();
}

void TTileLoader::RequestTiles() {
  // A request during a pass (the download's event loop delivers it) makes one further pass.
  if (m_inPass) {
    m_pending = true;
    return;
  }
  m_inPass = true;
  do {
    m_pending = false;
    LoadingPass();
  } while (m_pending && !Stopping());
  m_inPass = false;
  emit PassDone();
}

QByteArray TTileLoader::DownloadTile(int mapType, int zoom, int x, int y, QImage& tile) {
  if (!m_client) m_client = std::make_unique<TileClient>(m_servers);
  const QString url =
      QString::fromStdString(TileUrl(m_client->Servers().UrlOf(mapType), zoom, x, y));
  // A new layout makes this tile useless: the transfer stops at once.
  const auto cancelled = [this] { return m_engine.grid.abort.load() || Stopping(); };
  for (int attempt = 0; attempt < kAttempts && !cancelled(); ++attempt) {
    TileClient::Reply reply = m_client->Get(url, cancelled);
    if (!reply.ok) continue;
    tile = DecodeTile(reply.body);
    if (!tile.isNull()) return reply.body;
  }
  return {};
}

void TTileLoader::LoadingPass() {
  TileSource source;
  GridLayout layout;
  {
    QMutexLocker locker(&m_engine.lock);
    source = m_engine.source;
    layout = m_engine.grid.Layout();
    m_engine.grid.allLoaded.store(true);
    m_engine.grid.abort.store(false);
  }
  TileGrid<QImage>& grid = m_engine.grid;
  for (int r = 0; r < layout.rows; ++r) {
    for (int c = 0; c < layout.columns; ++c) {
      if (grid.abort.load() || Stopping()) return;
      std::int32_t x = 0;
      std::int32_t y = 0;
      {
        QMutexLocker locker(&m_engine.lock);
        if (grid.abort.load()) return;
        const TileSlot<QImage>& slot = grid.At(c, r);
        if (slot.loaded) continue;
        x = slot.tileX;
        y = slot.tileY;
      }
      if (!ExistingTile(layout.zoom, x, y)) {
        grid.allLoaded.store(false);
        continue;
      }
      const std::filesystem::path file = TileFile(source.mapDir, source.mapType, layout.zoom, x, y);
      bool damaged = false;
      QImage tile = LoadCachedTile(file, damaged);
      QByteArray bytes;
      if (tile.isNull()) {
        if (source.mode == MapMode::Offline) {
          grid.allLoaded.store(false);
          continue;
        }
        bytes = DownloadTile(source.mapType, layout.zoom, x, y, tile);
        if (tile.isNull()) {
          grid.allLoaded.store(false);
          continue;
        }
      }
      bool placed = false;
      int counter = 0;
      {
        QMutexLocker locker(&m_engine.lock);
        counter = bytes.isEmpty() ? m_engine.downloaded.load() : ++m_engine.downloaded;
        if (!grid.abort.load()) {
          TileSlot<QImage>& slot = grid.At(c, r);
          slot.image = tile;
          slot.loaded = true;
          placed = true;
        }
      }
      if (!placed) return;
      emit TilePlaced(counter);
      // Stored after the placement, outside the lock: the window never waits for the disk. A
      // good tile is never written over; a damaged file would otherwise be fetched for ever.
      if (!bytes.isEmpty() && source.mode == MapMode::OnlineAutosave) {
        WriteTileFile(file,
                      std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())),
                      damaged);
      }
    }
  }
}

}  // namespace windlark
