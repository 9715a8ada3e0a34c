#include "support/SondeHubServer.h"

#include <zlib.h>

#include <QHash>
#include <QMutexLocker>
#include <QSslServer>
#include <QTcpServer>
#include <QTcpSocket>

namespace windlark {

namespace {

class ApiWorker : public QObject {
 public:
  ApiWorker(SondeHubServer::Shared& shared, const QSslConfiguration* tls) : m_shared(shared) {
    if (tls != nullptr) {
      auto* server = new QSslServer(this);
      server->setSslConfiguration(*tls);
      m_server = server;
    } else {
      m_server = new QTcpServer(this);
    }
    QObject::connect(m_server, &QTcpServer::pendingConnectionAvailable, this, [this] { Accept(); });
    m_server->listen(QHostAddress(QStringLiteral("127.0.0.1")), 0);
  }
  quint16 Port() const { return m_server->serverPort(); }

 private:
  void Accept() {
    while (QTcpSocket* socket = m_server->nextPendingConnection()) {
      socket->setParent(this);
      QObject::connect(socket, &QTcpSocket::readyRead, this, [this, socket] { Read(socket); });
      QObject::connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
        m_buffers.remove(socket);
        socket->deleteLater();
      });
      if (socket->bytesAvailable() > 0) Read(socket);
    }
  }

  void Read(QTcpSocket* socket) {
    QByteArray& buffer = m_buffers[socket];
    buffer += socket->readAll();
    for (;;) {
      const qsizetype end = buffer.indexOf("\r\n\r\n");
      if (end < 0) return;
      SondeHubServer::Request request;
      const QList<QByteArray> lines = buffer.left(end).split('\n');
      const QList<QByteArray> first = lines.value(0).trimmed().split(' ');
      request.method = first.value(0);
      request.path = first.value(1);
      for (qsizetype i = 1; i < lines.size(); ++i) {
        const qsizetype colon = lines[i].indexOf(':');
        if (colon > 0) {
          request.headers[lines[i].left(colon).trimmed().toLower()] =
              lines[i].mid(colon + 1).trimmed();
        }
      }
      const qsizetype length = request.headers.value("content-length", "0").toLongLong();
      if (buffer.size() < end + 4 + length) return;  // the body is still coming
      request.body = buffer.mid(end + 4, length);
      buffer.remove(0, end + 4 + length);
      if (request.headers.value("content-encoding") == "gzip") {
        request.gzipOk = SondeHubServer::Gunzip(request.body, request.json);
      } else {
        request.json = request.body;
      }
      SondeHubServer::Answer answer;
      {
        QMutexLocker locker(&m_shared.lock);
        m_shared.requests << request;
        answer = m_shared.script.isEmpty() ? m_shared.fallback : m_shared.script.takeFirst();
      }
      if (answer.drop) {
        socket->abort();
        return;
      }
      const QByteArray reason = answer.status < 300 ? "OK" : "Error";
      socket->write("HTTP/1.1 " + QByteArray::number(answer.status) + " " + reason +
                    "\r\nContent-Type: application/json\r\nContent-Length: " +
                    QByteArray::number(answer.body.size()) + "\r\n\r\n" + answer.body);
    }
  }

  SondeHubServer::Shared& m_shared;
  QTcpServer* m_server = nullptr;
  QHash<QTcpSocket*, QByteArray> m_buffers;
};

}  // namespace

bool SondeHubServer::Gunzip(const QByteArray& data, QByteArray& out) {
  if (data.size() < 2 || static_cast<unsigned char>(data[0]) != 0x1F ||
      static_cast<unsigned char>(data[1]) != 0x8B) {
    return false;
  }
  z_stream stream{};
  if (inflateInit2(&stream, 15 + 16) != Z_OK) return false;
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
  stream.avail_in = static_cast<uInt>(data.size());
  out.clear();
  char chunk[16384];
  int result = Z_OK;
  while (result == Z_OK) {
    stream.next_out = reinterpret_cast<Bytef*>(chunk);
    stream.avail_out = sizeof chunk;
    result = inflate(&stream, Z_NO_FLUSH);
    out.append(chunk, static_cast<qsizetype>(sizeof chunk - stream.avail_out));
  }
  inflateEnd(&stream);
  return result == Z_STREAM_END;
}

SondeHubServer::SondeHubServer(const QSslConfiguration* tls) : m_tls(tls != nullptr) {
  m_thread.setObjectName(QStringLiteral("SondeHubServer"));
  m_thread.start();
  ApiWorker* worker = nullptr;
  auto* anchor = new QObject;
  anchor->moveToThread(&m_thread);
  QMetaObject::invokeMethod(
      anchor, [&] { worker = new ApiWorker(m_shared, tls); }, Qt::BlockingQueuedConnection);
  delete anchor;
  m_worker = worker;
  m_port = worker->Port();
}

SondeHubServer::~SondeHubServer() {
  QObject* worker = m_worker;
  QMetaObject::invokeMethod(
      worker, [worker] { delete worker; }, Qt::BlockingQueuedConnection);
  m_thread.quit();
  m_thread.wait();
}

QString SondeHubServer::BaseUrl() const {
  return QStringLiteral("%1://127.0.0.1:%2").arg(m_tls ? "https" : "http").arg(m_port);
}

void SondeHubServer::Script(const QList<Answer>& answers) {
  QMutexLocker locker(&m_shared.lock);
  m_shared.script = answers;
}

void SondeHubServer::SetDefault(const Answer& answer) {
  QMutexLocker locker(&m_shared.lock);
  m_shared.fallback = answer;
}

QList<SondeHubServer::Request> SondeHubServer::Requests() const {
  QMutexLocker locker(&m_shared.lock);
  return m_shared.requests;
}

QList<SondeHubServer::Request> SondeHubServer::RequestsTo(const QByteArray& path) const {
  QList<Request> out;
  for (const Request& r : Requests()) {
    if (r.path == path) out << r;
  }
  return out;
}

}  // namespace windlark
