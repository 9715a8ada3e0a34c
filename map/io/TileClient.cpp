#include "map/io/TileClient.h"

#include <QBuffer>
#include <QImage>
#include <QImageReader>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QUrl>

#include "base/io/NetworkWait.h"
#include "map/MapGeometry.h"

namespace windlark {

TileClient::TileClient(TileServers servers)
    : m_servers(std::move(servers)),
      m_ssl(SslConfigurationWith(m_servers.caFile)),
      m_manager(std::make_unique<QNetworkAccessManager>()) {}

TileClient::~TileClient() = default;

QSslConfiguration TileClient::SslConfigurationWith(const std::string& caFile) {
  return VerifiedTls(caFile);
}

void TileClient::SetServers(TileServers servers) {
  m_servers = std::move(servers);
  m_ssl = SslConfigurationWith(m_servers.caFile);
  m_manager->clearConnectionCache();
}

TileClient::Reply TileClient::Get(const QString& url, const std::function<bool()>& cancelled) {
  Reply result;
  QNetworkRequest request{QUrl(url)};
  request.setHeader(QNetworkRequest::UserAgentHeader, QString::fromStdString(m_servers.userAgent));
  request.setSslConfiguration(m_ssl);
  request.setTransferTimeout(m_servers.timeoutMs);
  QNetworkReply* reply = m_manager->get(request);

  const ReplyEnd end = AwaitReply(reply, m_servers.timeoutMs, cancelled);
  const bool timedOut = end == ReplyEnd::TimedOut;
  const bool stopped = end == ReplyEnd::Cancelled;

  result.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
  if (timedOut) {
    result.error = QStringLiteral("time-out");
  } else if (stopped) {
    result.error = QStringLiteral("cancelled");
  } else if (reply->error() != QNetworkReply::NoError) {
    result.error = reply->errorString();
  } else if (result.status < 200 || result.status > 299) {
    result.error = QStringLiteral("HTTP status %1").arg(result.status);
  } else {
    result.body = reply->readAll();
    result.ok = true;
  }
  delete reply;
  return result;
}

TileServers WithEnvironment(TileServers servers) {
  const auto take = [](const char* name, std::string& value, bool url) {
    const QString text = qEnvironmentVariable(name).trimmed();
    if (text.isEmpty()) return;
    value = url ? NormalTileUrl(text.toStdString()) : text.toStdString();
  };
  take("WINDLARK_OSM_URL", servers.openStreetMapUrl, true);
  take("WINDLARK_OPENTOPOMAP_URL", servers.openTopoMapUrl, true);
  take("WINDLARK_TILE_CA_FILE", servers.caFile, false);
  return servers;
}

QImage DecodeTile(const QByteArray& bytes) {
  QBuffer buffer;
  buffer.setData(bytes);
  buffer.open(QIODevice::ReadOnly);
  QImageReader reader(&buffer, "png");
  reader.setDecideFormatFromContent(false);
  QImage image;
  if (!reader.read(&image) || image.isNull()) return {};
  if (image.width() != kTileSize || image.height() != kTileSize) {
    image = image.scaled(kTileSize, kTileSize, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
  }
  return image.convertToFormat(QImage::Format_RGB32);
}

}  // namespace windlark
