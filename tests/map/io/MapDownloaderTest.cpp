#include "map/io/MapDownloader.h"

#include <gtest/gtest.h>

#include <fstream>

#include "records/RecordsRig.h"
#include "support/TileServer.h"
#include "support/WaitSignal.h"

namespace windlark {
namespace {

using test::TempFolder;

struct Outcome {
  int result = 0;
  int downloaded = -1;
  int failed = 0;
  int skipped = 0;
};

DownloadJob Job(const TileServer& server, const std::filesystem::path& dir, TileArea area,
                int toZoom, bool overwrite = false) {
  DownloadJob job;
  job.area = area;
  job.toZoom = toZoom;
  job.total = TotalTiles(area, toZoom);
  job.mapDir = dir.string();
  job.mapType = kMapTypeOpenTopoMap;
  job.overwrite = overwrite;
  job.servers.openTopoMapUrl = server.BaseUrl().toStdString();
  job.servers.openStreetMapUrl = "http://127.0.0.1:9";  // never the one asked
  job.servers.userAgent = "Windlark/test";
  return job;
}

Outcome RunJob(DownloadJob job, const std::function<void(TMapDownloader&)>& during = {}) {
  TMapDownloader thread(std::move(job));
  Outcome outcome;
  QObject::connect(
      &thread, &TMapDownloader::Progress, &thread,
      [&](int, int d, int f, int s) {
        outcome.downloaded = d;
        outcome.failed = f;
        outcome.skipped = s;
      },
      Qt::DirectConnection);
  int result = 0;
  int reported = -1;
  QObject::connect(
      &thread, &TMapDownloader::Finished, &thread,
      [&](int r, int d) {
        result = r;
        reported = d;
      },
      Qt::DirectConnection);
  thread.start();
  if (during) during(thread);
  EXPECT_TRUE(thread.wait(90000));
  outcome.result = result;
  EXPECT_EQ(reported, std::max(outcome.downloaded, 0));
  return outcome;
}

TEST(MapDownloader, FillsTheCacheOnceAndSkipsItAllTheSecondTime) {
  TileServer server;
  TempFolder dir;
  const TileArea view{12, 2170, 2173, 1476, 1478};
  Outcome first = RunJob(Job(server, dir.Path(), view, 14));
  EXPECT_EQ(first.result, TMapDownloader::kCompleted);
  EXPECT_EQ(first.downloaded, 252);
  EXPECT_EQ(first.failed, 0);
  EXPECT_EQ(server.Requests(), 252);
  EXPECT_EQ(server.RequestsFor("/14/8695/5915.png"), 1);
  EXPECT_TRUE(std::filesystem::exists(dir / "t02/14/8680/5904.png"));
  EXPECT_TRUE(std::filesystem::exists(dir / "t02/12/2173/1478.png"));
  for (const QString& agent : server.UserAgents()) ASSERT_EQ(agent, "Windlark/test");

  Outcome second = RunJob(Job(server, dir.Path(), view, 14));
  EXPECT_EQ(second.result, TMapDownloader::kCompleted);
  EXPECT_EQ(second.downloaded, 0);
  EXPECT_EQ(second.skipped, 252);
  EXPECT_EQ(server.Requests(), 252);

  // "Overwrite old tiles" fetches the view's own tiles again.
  Outcome again = RunJob(Job(server, dir.Path(), view, 12, true));
  EXPECT_EQ(again.downloaded, 12);
  EXPECT_EQ(server.Requests(), 264);
}

TEST(MapDownloader, WhatIsNoTileFailsAndIsNotStored) {
  TileServer server;
  server.SetDefault(TileServer::Behaviour::NotPng);
  server.SetBehaviour("/10/5/7.png", TileServer::Behaviour::NotFound);
  TempFolder dir;
  Outcome outcome = RunJob(Job(server, dir.Path(), {10, 4, 5, 7, 7}, 10));
  EXPECT_EQ(outcome.result, TMapDownloader::kCompleted);
  EXPECT_EQ(outcome.failed, 2);
  EXPECT_EQ(outcome.downloaded, 0);
  EXPECT_FALSE(std::filesystem::exists(dir / "t02/10/4/7.png"));
  EXPECT_FALSE(std::filesystem::exists(dir / "t02/10/5/7.png"));
}

TEST(MapDownloader, AMapFolderThatCannotBeMadeEndsAtOnce) {
  TileServer server;
  TempFolder dir;
  std::ofstream(dir / "file") << "x";
  Outcome outcome = RunJob(Job(server, dir / "file" / "maps", {10, 4, 5, 7, 7}, 10));
  EXPECT_EQ(outcome.result, TMapDownloader::kNoDirectory);
  EXPECT_EQ(server.Requests(), 0);
}

TEST(MapDownloader, TerminateStopsAfterTheCurrentTile) {
  TileServer server;
  TempFolder dir;
  Outcome outcome = RunJob(Job(server, dir.Path(), {12, 2170, 2173, 1476, 1478}, 16),
                           [&](TMapDownloader& thread) {
                             for (int i = 0; i < 500 && server.Requests() < 5; ++i)
                               QThread::msleep(10);
                             thread.Terminate();
                           });
  EXPECT_EQ(outcome.result, TMapDownloader::kTerminated);
  EXPECT_GE(outcome.downloaded, 5);
  EXPECT_LT(outcome.downloaded, 100);
  EXPECT_EQ(server.Requests(), outcome.downloaded);
}

}  // namespace
}  // namespace windlark
