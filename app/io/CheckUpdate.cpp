#include "app/io/CheckUpdate.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QUrl>

#include "app/Version.h"

namespace windlark {

namespace {

// A version file is a few lines; anything far larger is not one.
constexpr qint64 kMaxReplyBytes = 1 << 20;

}  // namespace

TCheckUpdate::TCheckUpdate(QString url, bool silent, QObject* parent)
    : QObject(parent),
      m_url(std::move(url)),
      m_silent(silent),
      m_network(new QNetworkAccessManager(this)) {
  qRegisterMetaType<windlark::VersionFile>();
}

TCheckUpdate::~TCheckUpdate() {
  if (m_reply != nullptr) {
    m_reply->disconnect(this);
    m_reply->abort();
  }
}

void TCheckUpdate::Start() {
  const QUrl url(m_url);
  if (!url.isValid() || url.scheme().isEmpty()) {
    QMetaObject::invokeMethod(this, &TCheckUpdate::Finished, Qt::QueuedConnection);
    return;
  }
  QNetworkRequest request(url);
  request.setHeader(QNetworkRequest::UserAgentHeader,
                    QStringLiteral("Windlark/%1.%2").arg(kVersionMajor).arg(kVersionMinor));
  request.setTransferTimeout(m_timeoutMs);
  request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                       QNetworkRequest::NoLessSafeRedirectPolicy);
  m_reply = m_network->get(request);
  connect(m_reply, &QNetworkReply::downloadProgress, this, [this](qint64 received, qint64) {
    if (received > kMaxReplyBytes) m_reply->abort();
  });
  connect(m_reply, &QNetworkReply::finished, this, &TCheckUpdate::Done);
}

void TCheckUpdate::Done() {
  QNetworkReply* reply = m_reply;
  m_reply = nullptr;
  reply->deleteLater();
  const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
  if (reply->error() == QNetworkReply::NoError && (status == 0 || status == 200)) {
    const QByteArray body = reply->readAll();
    const auto file =
        ParseVersionFile(std::string_view(body.constData(), static_cast<std::size_t>(body.size())));
    if (file) {
      switch (DecideUpdate(kVersionMajor, kVersionMinor, *file, m_silent)) {
        case UpdateOutcome::NewVersion:
          emit NewVersion(*file);
          break;
        case UpdateOutcome::AlreadyLatest:
          emit AlreadyLatest();
          break;
        case UpdateOutcome::Nothing:
          break;
      }
    }
  }
  emit Finished();
}

}  // namespace windlark
