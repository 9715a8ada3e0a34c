#pragma once

#include <QObject>
#include <memory>

#include "map/MapSettings.h"

namespace windlark {

class TileClient;
struct TileEngine;

// The map's loading thread: fills the grid's unloaded slots from the cache or, online, from the
// tile server. Lives on its own thread; the window asks for a pass with RequestTiles (requests
// made during a pass cause one more pass) and learns of every placed tile by TilePlaced.
class TTileLoader : public QObject {
  Q_OBJECT

 public:
  TTileLoader(TileEngine& engine, TileServers servers);
  ~TTileLoader() override;

  // Both run on the loader's thread: call them through a queued invocation.
  void RequestTiles();
  void SetServers(TileServers servers);

 signals:
  // A tile was placed into the grid; `downloaded` is the downloaded-tile counter.
  void TilePlaced(int downloaded);
  // A pass has ended (tests wait for it).
  void PassDone();

 private:
  void LoadingPass();
  bool Stopping() const;
  // The tile's PNG bytes from the server, two attempts; empty on failure.
  QByteArray DownloadTile(int mapType, int zoom, int x, int y, QImage& tile);

  TileEngine& m_engine;
  TileServers m_servers;
  std::unique_ptr<TileClient> m_client;
  bool m_inPass = false;
  bool m_pending = false;
};

}  // namespace windlark
