#include "map/io/MapDownloader.h"

#include <filesystem>
#include <system_error>

#include "map/TileStore.h"
#include "map/io/TileClient.h"

namespace windlark {

TMapDownloader::TMapDownloader(DownloadJob job, QObject* parent)
    : QThread(parent), m_job(std::move(job)) {
  setObjectName(QStringLiteral("TMapDownloader"));
}

TMapDownloader::~TMapDownloader() {
  Cancel();
  wait();
}

void TMapDownloader::Cancel() {
  m_terminate.store(true);
  requestInterruption();
}

void TMapDownloader::run() {
  std::error_code ec;
  const std::filesystem::path dir(m_job.mapDir);
  if (m_job.mapDir.empty() || (!std::filesystem::is_directory(dir, ec) &&
                               (!std::filesystem::create_directories(dir, ec) || ec))) {
    emit Finished(kNoDirectory, 0);
    return;
  }
  TileClient client(m_job.servers);
  int downloaded = 0;
  int failed = 0;
  int skipped = 0;
  const std::string& base = m_job.servers.UrlOf(m_job.mapType);
  // Only a closing window stops the tile in transfer; "Cancel" lets it finish.
  const auto closing = [this] { return isInterruptionRequested(); };
  for (int z = m_job.area.zoom; z <= m_job.toZoom && !Terminated(); ++z) {
    const TileArea level = AreaAtZoom(m_job.area, z);
    for (std::int64_t x = level.x0; x <= level.x1 && !Terminated(); ++x) {
      for (std::int64_t y = level.y0; y <= level.y1 && !Terminated(); ++y) {
        const auto tx = static_cast<std::int32_t>(x);
        const auto ty = static_cast<std::int32_t>(y);
        const std::filesystem::path file = TileFile(dir, m_job.mapType, z, tx, ty);
        Fetch result = Fetch::Failed;
        if (!m_job.overwrite && std::filesystem::exists(file, ec)) {
          result = Fetch::Skipped;
        } else {
          const TileClient::Reply reply =
              client.Get(QString::fromStdString(TileUrl(base, z, tx, ty)), closing);
          if (closing()) break;
          // A body that is no tile (an error page served with 200) would poison the cache.
          if (reply.ok && !DecodeTile(reply.body).isNull()) {
            const TileWrite write =
                WriteTileFile(file,
                              std::string_view(reply.body.constData(),
                                               static_cast<std::size_t>(reply.body.size())),
                              m_job.overwrite);
            if (write == TileWrite::Written) result = Fetch::Downloaded;
            if (write == TileWrite::Exists) result = Fetch::Skipped;
          }
        }
        if (result == Fetch::Downloaded) ++downloaded;
        if (result == Fetch::Skipped) ++skipped;
        if (result == Fetch::Failed) ++failed;
        emit Progress(static_cast<int>(result), downloaded, failed, skipped);
      }
    }
  }
  emit Finished(Terminated() ? kTerminated : kCompleted, downloaded);
}

}  // namespace windlark
