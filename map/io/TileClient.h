#pragma once

#include <QByteArray>
#include <QImage>
#include <QSslConfiguration>
#include <QString>
#include <functional>
#include <memory>

#include "map/MapSettings.h"

class QNetworkAccessManager;

namespace windlark {

// One HTTP(S) GET at a time into memory, for a worker thread: it runs a local event loop until
// the reply is complete, the time-out passes or `cancelled` says so (checked every 50 ms). TLS
// 1.2 or later with the peer's certificate verified; an extra CA file may be trusted besides the
// system's. Construct and use it on one thread.
class TileClient {
 public:
  explicit TileClient(TileServers servers);
  ~TileClient();
  TileClient(const TileClient&) = delete;
  TileClient& operator=(const TileClient&) = delete;

  struct Reply {
    bool ok = false;  // a 2xx status with a complete body
    int status = 0;   // the HTTP status, 0 without one
    QByteArray body;
    QString error;
  };

  Reply Get(const QString& url, const std::function<bool()>& cancelled = {});
  // New hosts, CA file or time-out; open connections are dropped so the new TLS settings apply.
  void SetServers(TileServers servers);
  const TileServers& Servers() const { return m_servers; }

  static QSslConfiguration SslConfigurationWith(const std::string& caFile);

 private:
  TileServers m_servers;
  QSslConfiguration m_ssl;
  std::unique_ptr<QNetworkAccessManager> m_manager;
};

// The servers with WINDLARK_OSM_URL, WINDLARK_OPENTOPOMAP_URL and WINDLARK_TILE_CA_FILE, where
// set, in place of the configured ones (a private server, a test server on the loopback).
TileServers WithEnvironment(TileServers servers);

// The tile as a 256 × 256 picture when `bytes` are a whole PNG; a null image otherwise.
QImage DecodeTile(const QByteArray& bytes);

}  // namespace windlark
