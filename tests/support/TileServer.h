#pragma once

#include <QByteArray>
#include <QHash>
#include <QMutex>
#include <QSslConfiguration>
#include <QString>
#include <QStringList>
#include <QThread>
#include <memory>

namespace windlark {

// A tile server on 127.0.0.1 for tests and screenshots: plain HTTP, or HTTPS with a given
// certificate. It serves /z/x/y.png as generated map-like PNG tiles on its own thread, counts
// the requests per path and keeps the User-Agent of each; a path can be made to fail.
class TileServer {
 public:
  enum class Behaviour { Tile, NotFound, ServerError, NotPng, Truncated, Stall };

  // Plain HTTP without `tls`; HTTPS with its certificate and key otherwise.
  explicit TileServer(const QSslConfiguration* tls = nullptr);
  ~TileServer();
  TileServer(const TileServer&) = delete;
  TileServer& operator=(const TileServer&) = delete;

  QString BaseUrl() const;
  quint16 Port() const { return m_port; }

  void SetBehaviour(const QString& path, Behaviour behaviour);
  void SetDefault(Behaviour behaviour);
  // Every answer waits this long (a slow server).
  void SetDelayMs(int ms);
  int Requests() const;
  int RequestsFor(const QString& path) const;
  QStringList UserAgents() const;
  void ResetCounts();

  // A 256 × 256 tile that looks like a map: land, parks, a river and roads, continuous across
  // tile edges and zoom levels.
  static QByteArray TilePng(int zoom, int x, int y);

  struct Shared {
    mutable QMutex lock;
    QHash<QString, Behaviour> behaviours;
    Behaviour fallback = Behaviour::Tile;
    QHash<QString, int> counts;
    int total = 0;
    QStringList userAgents;
    int delayMs = 0;
  };

 private:
  Shared m_shared;
  QThread m_thread;
  QObject* m_worker = nullptr;
  quint16 m_port = 0;
  bool m_tls = false;
};

// A certificate authority made for one test run with openssl, and a server certificate for
// 127.0.0.1 signed by it, in a temporary folder.
class TestCa {
 public:
  TestCa();
  ~TestCa();
  bool Ok() const { return m_ok; }
  QString CaFile() const;
  // The server's side: its certificate and key.
  QSslConfiguration ServerConfiguration() const;

 private:
  struct Folder;
  std::unique_ptr<Folder> m_folder;
  bool m_ok = false;
};

}  // namespace windlark
