#include "base/io/NetworkWait.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QNetworkReply>
#include <QSslCertificate>
#include <QTimer>

namespace windlark {

namespace {

constexpr int kPollMs = 50;

}  // namespace

QSslConfiguration VerifiedTls(const std::string& caFile) {
  QSslConfiguration ssl = QSslConfiguration::defaultConfiguration();
  ssl.setProtocol(QSsl::TlsV1_2OrLater);
  ssl.setPeerVerifyMode(QSslSocket::VerifyPeer);
  if (!caFile.empty()) {
    ssl.addCaCertificates(QSslCertificate::fromPath(QString::fromStdString(caFile), QSsl::Pem));
  }
  return ssl;
}

ReplyEnd AwaitReply(QNetworkReply* reply, int timeoutMs, const std::function<bool()>& cancelled) {
  QEventLoop loop;
  QElapsedTimer elapsed;
  elapsed.start();
  ReplyEnd end = ReplyEnd::Finished;
  QTimer poll;
  poll.setInterval(kPollMs);
  QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
    if (cancelled && cancelled()) {
      end = ReplyEnd::Cancelled;
      reply->abort();
    } else if (elapsed.elapsed() >= timeoutMs) {
      end = ReplyEnd::TimedOut;
      reply->abort();
    }
  });
  QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
  poll.start();
  if (!reply->isFinished()) loop.exec();
  poll.stop();
  return end;
}

}  // namespace windlark
