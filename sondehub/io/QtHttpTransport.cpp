#include "sondehub/io/QtHttpTransport.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

#include "base/io/NetworkWait.h"

namespace windlark {

QtHttpTransport::QtHttpTransport(const std::string& caFile)
    : m_ssl(VerifiedTls(caFile)), m_manager(std::make_unique<QNetworkAccessManager>()) {}

QtHttpTransport::~QtHttpTransport() = default;

HttpResponse QtHttpTransport::Send(const HttpRequest& request,
                                   const std::function<bool()>& cancelled) {
  HttpResponse result;
  QNetworkRequest q{QUrl(QString::fromStdString(request.url))};
  for (const auto& [name, value] : request.headers) {
    q.setRawHeader(QByteArray::fromStdString(name), QByteArray::fromStdString(value));
  }
  q.setSslConfiguration(m_ssl);
  q.setTransferTimeout(request.timeoutMs);
  // The body is already compressed; Qt must neither compress nor decompress it again.
  const QByteArray body = QByteArray::fromStdString(request.body);
  QNetworkReply* reply =
      m_manager->sendCustomRequest(q, QByteArray::fromStdString(request.method), body);
  const bool timedOut = AwaitReply(reply, request.timeoutMs, cancelled) == ReplyEnd::TimedOut;

  result.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
  result.body = reply->readAll().toStdString();
  if (timedOut) {
    result.status = 0;
    result.error = "time-out";
  } else if (result.status == 0) {
    result.error = reply->errorString().toStdString();
    if (result.error.empty()) result.error = "no answer";
  }
  delete reply;
  return result;
}

}  // namespace windlark
