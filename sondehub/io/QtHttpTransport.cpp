#include "sondehub/io/QtHttpTransport.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSslCertificate>
#include <QTimer>

namespace windlark {

namespace {

constexpr int kPollMs = 50;

}  // namespace

QtHttpTransport::QtHttpTransport(const std::string& caFile)
    : m_ssl(QSslConfiguration::defaultConfiguration()),
      m_manager(std::make_unique<QNetworkAccessManager>()) {
  m_ssl.setProtocol(QSsl::TlsV1_2OrLater);
  m_ssl.setPeerVerifyMode(QSslSocket::VerifyPeer);
  if (!caFile.empty()) {
    m_ssl.addCaCertificates(QSslCertificate::fromPath(QString::fromStdString(caFile), QSsl::Pem));
  }
}

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
  QEventLoop loop;
  QElapsedTimer elapsed;
  elapsed.start();
  bool timedOut = false;
  QTimer poll;
  poll.setInterval(kPollMs);
  QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
    if (cancelled && cancelled()) {
      reply->abort();
    } else if (elapsed.elapsed() >= request.timeoutMs) {
      timedOut = true;
      reply->abort();
    }
  });
  QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
  poll.start();
  if (!reply->isFinished()) loop.exec();
  poll.stop();

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
