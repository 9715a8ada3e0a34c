#include "map/io/TileLoader.h"

#include <gtest/gtest.h>

#include <QMutexLocker>
#include <QThread>
#include <fstream>
#include <iterator>

#include "map/MapGeometry.h"
#include "map/io/TileClient.h"
#include "map/io/TileEngine.h"
#include "records/RecordsRig.h"
#include "support/TileServer.h"
#include "support/WaitSignal.h"

namespace windlark {
namespace {

using test::TempFolder;
using B = TileServer::Behaviour;

constexpr int kZoom = 12;
constexpr int kX = 2170;
constexpr int kY = 1478;

QString PathOf(int x, int y = kY) {
  return QStringLiteral("/%1/%2/%3.png").arg(kZoom).arg(x).arg(y);
}

std::string Read(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

// The loader on its own thread over a one-row grid of `columns` tiles from kX eastwards.
class LoaderRig {
 public:
  LoaderRig(const QString& baseUrl, MapMode mode, const std::string& dir, int columns = 1,
            std::string caFile = {}, int timeoutMs = 20000) {
    TileServers servers;
    servers.openStreetMapUrl = baseUrl.toStdString();
    servers.userAgent = "Windlark/test";
    servers.caFile = std::move(caFile);
    servers.timeoutMs = timeoutMs;
    engine.source = {kMapTypeOpenStreetMap, mode, dir};
    loader = new TTileLoader(engine, servers);
    loader->moveToThread(&thread);
    QObject::connect(&thread, &QThread::finished, loader, &QObject::deleteLater);
    thread.start();
    QMutexLocker locker(&engine.lock);
    engine.grid.LayoutGrid({kX, kY, kZoom, columns, 1, 0, 0});
  }
  ~LoaderRig() { Stop(); }

  // Runs one loading pass and waits for its end.
  bool Pass(int waitMs = 30000) {
    test::SignalWaiter done(loader, &TTileLoader::PassDone);
    TTileLoader* l = loader;
    QMetaObject::invokeMethod(
        l, [l] { l->RequestTiles(); }, Qt::QueuedConnection);
    return done.Wait(waitMs);
  }
  bool Stop() {
    if (!thread.isRunning()) return true;
    thread.requestInterruption();
    thread.quit();
    return thread.wait(15000);
  }
  int Loaded() {
    QMutexLocker locker(&engine.lock);
    int n = 0;
    for (int c = 0; c < engine.grid.Layout().columns; ++c) n += engine.grid.At(c, 0).loaded;
    return n;
  }
  void Unload() {
    QMutexLocker locker(&engine.lock);
    engine.grid.MarkAllUnloaded();
  }

  TileEngine engine;
  QThread thread;
  TTileLoader* loader = nullptr;
};

TEST(TileLoader, CacheFirstOfflineNeverAsksAndAutosaveStoresOnce) {
  TileServer server;
  TempFolder dir;
  const auto cached = TileFile(dir.Path(), 1, kZoom, kX, kY);
  const QByteArray png = TileServer::TilePng(kZoom, kX, kY);
  std::filesystem::create_directories(cached.parent_path());
  std::ofstream(cached, std::ios::binary).write(png.constData(), png.size());

  {
    LoaderRig rig(server.BaseUrl(), MapMode::Offline, dir.Path().string(), 2);
    ASSERT_TRUE(rig.Pass());
    EXPECT_EQ(rig.Loaded(), 1);
    EXPECT_FALSE(rig.engine.grid.allLoaded.load());
    EXPECT_EQ(server.Requests(), 0);
  }
  {
    LoaderRig rig(server.BaseUrl(), MapMode::OnlineAutosave, dir.Path().string(), 2);
    ASSERT_TRUE(rig.Pass());
    EXPECT_EQ(rig.Loaded(), 2);
    EXPECT_TRUE(rig.engine.grid.allLoaded.load());
    EXPECT_EQ(server.RequestsFor(PathOf(kX)), 0);
    EXPECT_EQ(server.RequestsFor(PathOf(kX + 1)), 1);
    EXPECT_EQ(rig.engine.downloaded.load(), 1);
    const auto stored = TileFile(dir.Path(), 1, kZoom, kX + 1, kY);
    const QByteArray served = TileServer::TilePng(kZoom, kX + 1, kY);
    EXPECT_EQ(Read(stored), served.toStdString());
    // Loaded again: both from the cache now.
    rig.Unload();
    ASSERT_TRUE(rig.Pass());
    EXPECT_EQ(rig.Loaded(), 2);
    EXPECT_EQ(server.Requests(), 1);
    for (const QString& agent : server.UserAgents()) EXPECT_EQ(agent, "Windlark/test");
  }
}

TEST(TileLoader, OnlineWithoutAutosaveStoresNothingAndADamagedCacheFileIsReplaced) {
  TileServer server;
  TempFolder dir;
  {
    LoaderRig rig(server.BaseUrl(), MapMode::Online, dir.Path().string());
    ASSERT_TRUE(rig.Pass());
    EXPECT_EQ(rig.Loaded(), 1);
    EXPECT_FALSE(std::filesystem::exists(dir / "t01"));
  }
  const auto file = TileFile(dir.Path(), 1, kZoom, kX, kY);
  std::filesystem::create_directories(file.parent_path());
  const QByteArray png = TileServer::TilePng(kZoom, kX, kY);
  std::ofstream(file, std::ios::binary).write(png.constData(), png.size() / 2);
  LoaderRig rig(server.BaseUrl(), MapMode::OnlineAutosave, dir.Path().string());
  ASSERT_TRUE(rig.Pass());
  EXPECT_EQ(rig.Loaded(), 1);
  EXPECT_EQ(server.Requests(), 2);
  EXPECT_EQ(Read(file), png.toStdString());
}

TEST(TileLoader, FailedTilesStayUnloadedAndAreTriedAgainNextPass) {
  TileServer server;
  TempFolder dir;
  const B failures[] = {B::NotFound, B::ServerError, B::NotPng, B::Truncated, B::Stall};
  for (int i = 0; i < 5; ++i) server.SetBehaviour(PathOf(kX + i), failures[i]);
  LoaderRig rig(server.BaseUrl(), MapMode::OnlineAutosave, dir.Path().string(), 6, {}, 700);
  ASSERT_TRUE(rig.Pass());
  EXPECT_EQ(rig.Loaded(), 1);
  EXPECT_FALSE(rig.engine.grid.allLoaded.load());
  for (int i = 0; i < 5; ++i) EXPECT_EQ(server.RequestsFor(PathOf(kX + i)), 2) << i;
  EXPECT_FALSE(std::filesystem::exists(TileFile(dir.Path(), 1, kZoom, kX, kY)));
  EXPECT_EQ(rig.engine.downloaded.load(), 1);

  for (int i = 0; i < 5; ++i) server.SetBehaviour(PathOf(kX + i), B::Tile);
  ASSERT_TRUE(rig.Pass());
  EXPECT_EQ(rig.Loaded(), 6);
  EXPECT_EQ(server.RequestsFor(PathOf(kX + 5)), 1);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(server.RequestsFor(PathOf(kX + i)), 3) << i;
  EXPECT_EQ(rig.engine.downloaded.load(), 6);
}

TEST(TileLoader, TilesBeyondTheWorldAreNeverAskedFor) {
  TileServer server;
  TempFolder dir;
  LoaderRig rig(server.BaseUrl(), MapMode::Online, dir.Path().string());
  {
    QMutexLocker locker(&rig.engine.lock);
    rig.engine.grid.LayoutGrid({4095, -1, kZoom, 2, 2, 0, 0});
  }
  ASSERT_TRUE(rig.Pass());
  EXPECT_EQ(rig.Loaded(), 0);  // row 0 of the grid is tile row -1
  EXPECT_EQ(server.Requests(), 1);
  EXPECT_EQ(server.RequestsFor(QStringLiteral("/12/4095/0.png")), 1);
}

TEST(TileLoader, ANewLayoutOrTheEndOfTheThreadStopsAStalledTransfer) {
  TileServer server;
  server.SetDefault(B::Stall);
  TempFolder dir;
  LoaderRig rig(server.BaseUrl(), MapMode::Online, dir.Path().string(), 3);
  test::SignalWaiter done(rig.loader, &TTileLoader::PassDone);
  TTileLoader* l = rig.loader;
  QMetaObject::invokeMethod(
      l, [l] { l->RequestTiles(); }, Qt::QueuedConnection);
  for (int i = 0; i < 200 && server.Requests() == 0; ++i) QThread::msleep(20);
  ASSERT_EQ(server.Requests(), 1);
  {
    QMutexLocker locker(&rig.engine.lock);
    rig.engine.grid.LayoutGrid({kX + 50, kY, kZoom, 3, 1, 0, 0});
  }
  // Far sooner than the 20 s time-out, and without a second attempt.
  ASSERT_TRUE(done.Wait(10000));
  EXPECT_EQ(server.Requests(), 1);

  QMetaObject::invokeMethod(
      l, [l] { l->RequestTiles(); }, Qt::QueuedConnection);
  for (int i = 0; i < 200 && server.Requests() == 1; ++i) QThread::msleep(20);
  EXPECT_TRUE(rig.Stop());
}

TEST(TileClient, HttpsVerifiesTheServerAgainstTheExtraCa) {
  TestCa ca;
  ASSERT_TRUE(ca.Ok()) << "openssl could not make the test CA";
  const QSslConfiguration tls = ca.ServerConfiguration();
  TileServer server(&tls);
  ASSERT_TRUE(server.BaseUrl().startsWith("https://127.0.0.1:"));
  TempFolder dir;
  {
    // Not trusted without the CA: the handshake fails before any request.
    LoaderRig rig(server.BaseUrl(), MapMode::Online, dir.Path().string());
    ASSERT_TRUE(rig.Pass());
    EXPECT_EQ(rig.Loaded(), 0);
    EXPECT_EQ(server.Requests(), 0);
  }
  LoaderRig rig(server.BaseUrl(), MapMode::OnlineAutosave, dir.Path().string(), 2,
                ca.CaFile().toStdString());
  ASSERT_TRUE(rig.Pass());
  EXPECT_EQ(rig.Loaded(), 2);
  EXPECT_EQ(server.Requests(), 2);
  EXPECT_EQ(server.UserAgents().value(0), "Windlark/test");
  EXPECT_TRUE(std::filesystem::exists(TileFile(dir.Path(), 1, kZoom, kX + 1, kY)));
}

TEST(TileClient, DecodeTileRefusesWhatIsNoWholePng) {
  const QByteArray png = TileServer::TilePng(3, 1, 1);
  EXPECT_FALSE(DecodeTile(png).isNull());
  EXPECT_EQ(DecodeTile(png).size(), QSize(256, 256));
  EXPECT_TRUE(DecodeTile(png.left(png.size() / 2)).isNull());
  EXPECT_TRUE(DecodeTile(png.left(40)).isNull());
  EXPECT_TRUE(DecodeTile("<html></html>").isNull());
  EXPECT_TRUE(DecodeTile({}).isNull());
}

}  // namespace
}  // namespace windlark
