#include "support/TileServer.h"

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QMutexLocker>
#include <QPainter>
#include <QPainterPath>
#include <QPointer>
#include <QProcess>
#include <QSslCertificate>
#include <QSslKey>
#include <QSslServer>
#include <QSslSocket>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTimer>
#include <cmath>
#include <vector>

namespace windlark {

namespace {

// Ground units: pixels at zoom 12, so features stay put when zooming.
constexpr int kGroundZoom = 12;

double Hash(long long a, long long b) {
  unsigned long long h = static_cast<unsigned long long>(a) * 0x9E3779B97F4A7C15ULL ^
                         (static_cast<unsigned long long>(b) + 0x632BE59BD9B4E019ULL);
  h ^= h >> 29;
  h *= 0xBF58476D1CE4E5B9ULL;
  h ^= h >> 32;
  return static_cast<double>(h % 10000) / 10000.0;
}

class Worker : public QObject {
 public:
  Worker(TileServer::Shared& shared, const QSslConfiguration* tls) : m_shared(shared) {
    if (tls != nullptr) {
      auto* server = new QSslServer(this);
      server->setSslConfiguration(*tls);
      m_server = server;
    } else {
      m_server = new QTcpServer(this);
    }
    // After the TLS handshake, for an HTTPS server; at once for a plain one.
    QObject::connect(m_server, &QTcpServer::pendingConnectionAvailable, this, [this] { Accept(); });
    m_server->listen(QHostAddress(QStringLiteral("127.0.0.1")), 0);
  }
  quint16 Port() const { return m_server->serverPort(); }

 private:
  void Accept() {
    while (QTcpSocket* socket = m_server->nextPendingConnection()) {
      socket->setParent(this);
      QObject::connect(socket, &QTcpSocket::readyRead, this, [this, socket] { Read(socket); });
      QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
      if (socket->bytesAvailable() > 0) Read(socket);
    }
  }

  void Read(QTcpSocket* socket) {
    QByteArray& buffer = m_buffers[socket];
    buffer += socket->readAll();
    for (;;) {
      const qsizetype end = buffer.indexOf("\r\n\r\n");
      if (end < 0) return;
      const QByteArray head = buffer.left(end);
      buffer.remove(0, end + 4);
      Answer(socket, head);
    }
  }

  void Answer(QTcpSocket* socket, const QByteArray& head) {
    const QList<QByteArray> lines = head.split('\n');
    const QList<QByteArray> request = lines.value(0).trimmed().split(' ');
    const QString path = QString::fromLatin1(request.value(1));
    QString agent;
    for (const QByteArray& line : lines) {
      if (line.toLower().startsWith("user-agent:"))
        agent = QString::fromLatin1(line.mid(11).trimmed());
    }
    int delay = 0;
    {
      QMutexLocker locker(&m_shared.lock);
      ++m_shared.total;
      ++m_shared.counts[path];
      m_shared.userAgents << agent;
      delay = m_shared.delayMs;
    }
    if (delay > 0) {
      QPointer<QTcpSocket> later(socket);
      QTimer::singleShot(delay, this, [this, later, head] {
        if (later) Reply(later, head);
      });
      return;
    }
    Reply(socket, head);
  }

  void Reply(QTcpSocket* socket, const QByteArray& head) {
    const QString path =
        QString::fromLatin1(head.split('\n').value(0).trimmed().split(' ').value(1));
    TileServer::Behaviour behaviour;
    {
      QMutexLocker locker(&m_shared.lock);
      behaviour = m_shared.behaviours.value(path, m_shared.fallback);
    }
    int z = 0;
    int x = 0;
    int y = 0;
    const QStringList parts = path.split('/', Qt::SkipEmptyParts);
    bool valid = parts.size() >= 3 && parts.last().endsWith(QStringLiteral(".png"));
    if (valid) {
      z = parts[parts.size() - 3].toInt(&valid);
      bool okX = false;
      bool okY = false;
      x = parts[parts.size() - 2].toInt(&okX);
      QString last = parts.last();
      last.chop(4);
      y = last.toInt(&okY);
      valid = valid && okX && okY;
    }
    if (!valid && behaviour == TileServer::Behaviour::Tile)
      behaviour = TileServer::Behaviour::NotFound;
    switch (behaviour) {
      case TileServer::Behaviour::Stall:
        return;  // accepted, never answered
      case TileServer::Behaviour::NotFound:
        Send(socket, "404 Not Found", "text/plain", "no such tile");
        return;
      case TileServer::Behaviour::ServerError:
        Send(socket, "500 Internal Server Error", "text/plain", "broken");
        return;
      case TileServer::Behaviour::NotPng:
        Send(socket, "200 OK", "text/html", "<html><body>Tile usage policy</body></html>");
        return;
      case TileServer::Behaviour::Truncated: {
        const QByteArray png = TileServer::TilePng(z, x, y);
        Send(socket, "200 OK", "image/png", png.left(png.size() / 2));
        return;
      }
      case TileServer::Behaviour::Tile:
        Send(socket, "200 OK", "image/png", TileServer::TilePng(z, x, y));
        return;
    }
  }

  static void Send(QTcpSocket* socket, const char* status, const char* type,
                   const QByteArray& body) {
    QByteArray reply = QByteArray("HTTP/1.1 ") + status + "\r\nContent-Type: " + type +
                       "\r\nContent-Length: " + QByteArray::number(body.size()) + "\r\n\r\n";
    socket->write(reply + body);
  }

  TileServer::Shared& m_shared;
  QTcpServer* m_server = nullptr;
  QHash<QTcpSocket*, QByteArray> m_buffers;
};

}  // namespace

TileServer::TileServer(const QSslConfiguration* tls) : m_tls(tls != nullptr) {
  m_thread.setObjectName(QStringLiteral("TileServer"));
  m_thread.start();
  Worker* worker = nullptr;
  // The server is made on its own thread, where its sockets live.
  auto* anchor = new QObject;
  anchor->moveToThread(&m_thread);
  QMetaObject::invokeMethod(
      anchor, [&] { worker = new Worker(m_shared, tls); }, Qt::BlockingQueuedConnection);
  delete anchor;
  m_worker = worker;
  m_port = worker->Port();
}

TileServer::~TileServer() {
  QObject* worker = m_worker;
  QMetaObject::invokeMethod(
      worker, [worker] { delete worker; }, Qt::BlockingQueuedConnection);
  m_thread.quit();
  m_thread.wait();
}

QString TileServer::BaseUrl() const {
  return QStringLiteral("%1://127.0.0.1:%2").arg(m_tls ? "https" : "http").arg(m_port);
}

void TileServer::SetBehaviour(const QString& path, Behaviour behaviour) {
  QMutexLocker locker(&m_shared.lock);
  m_shared.behaviours[path] = behaviour;
}

void TileServer::SetDelayMs(int ms) {
  QMutexLocker locker(&m_shared.lock);
  m_shared.delayMs = ms;
}

void TileServer::SetDefault(Behaviour behaviour) {
  QMutexLocker locker(&m_shared.lock);
  m_shared.fallback = behaviour;
}

int TileServer::Requests() const {
  QMutexLocker locker(&m_shared.lock);
  return m_shared.total;
}

int TileServer::RequestsFor(const QString& path) const {
  QMutexLocker locker(&m_shared.lock);
  return m_shared.counts.value(path, 0);
}

QStringList TileServer::UserAgents() const {
  QMutexLocker locker(&m_shared.lock);
  return m_shared.userAgents;
}

void TileServer::ResetCounts() {
  QMutexLocker locker(&m_shared.lock);
  m_shared.counts.clear();
  m_shared.total = 0;
  m_shared.userAgents.clear();
}

QByteArray TileServer::TilePng(int zoom, int x, int y) {
  QImage tile(256, 256, QImage::Format_RGB32);
  tile.fill(QColor(242, 239, 233));
  QPainter painter(&tile);
  painter.setRenderHint(QPainter::Antialiasing);
  // Ground units per tile pixel.
  const double scale = std::pow(2.0, kGroundZoom - zoom);
  const double gx0 = x * 256.0 * scale;
  const double gy0 = y * 256.0 * scale;
  const auto toPixel = [&](double gx, double gy) {
    return QPointF((gx - gx0) / scale, (gy - gy0) / scale);
  };
  // Parks and woods: some cells of a 300-unit lattice.
  constexpr double kCell = 300;
  const long long c0 = static_cast<long long>(std::floor(gx0 / kCell)) - 1;
  const long long r0 = static_cast<long long>(std::floor(gy0 / kCell)) - 1;
  const long long cells = static_cast<long long>(std::ceil(256.0 * scale / kCell)) + 2;
  if (cells < 200) {
    for (long long c = c0; c < c0 + cells; ++c) {
      for (long long r = r0; r < r0 + cells; ++r) {
        const double h = Hash(c, r);
        if (h > 0.28) continue;
        const auto fc = static_cast<double>(c);
        const auto fr = static_cast<double>(r);
        const QPointF a = toPixel(fc * kCell + 40, fr * kCell + 40);
        const QPointF b = toPixel((fc + 1) * kCell - 40 - h * 300, (fr + 1) * kCell - 40);
        painter.setPen(Qt::NoPen);
        painter.setBrush(h < 0.12 ? QColor(173, 209, 158) : QColor(200, 250, 204));
        painter.drawRoundedRect(QRectF(a, b), 6, 6);
      }
    }
  }
  // A river winding from west to east.
  QPainterPath river;
  for (int px = -8; px <= 264; px += 4) {
    const double gx = gx0 + px * scale;
    const double gy =
        2400.0 * std::sin(gx / 5200.0) + 1000.0 * std::sin(gx / 1300.0) + 1478.0 * 256.0 + 90.0;
    const QPointF p = toPixel(gx, gy);
    if (px == -8) {
      river.moveTo(p);
    } else {
      river.lineTo(p);
    }
  }
  painter.setBrush(Qt::NoBrush);
  painter.setPen(
      QPen(QColor(170, 211, 223), std::max(3.0, 40.0 / scale), Qt::SolidLine, Qt::RoundCap));
  painter.drawPath(river);
  // Roads: a lattice, minor and major, drawn where they are far enough apart.
  const auto roads = [&](double spacing, const QColor& casing, const QColor& fill, double width) {
    if (spacing / scale < 20) return;
    const long long first = static_cast<long long>(std::floor(gx0 / spacing)) - 1;
    const long long firstRow = static_cast<long long>(std::floor(gy0 / spacing)) - 1;
    const long long count = static_cast<long long>(256.0 * scale / spacing) + 3;
    for (int pass = 0; pass < 2; ++pass) {
      painter.setPen(QPen(pass == 0 ? casing : fill, pass == 0 ? width + 2 : width, Qt::SolidLine,
                          Qt::RoundCap));
      for (long long i = first; i < first + count; ++i) {
        const double wobble = 30.0 * std::sin(static_cast<double>(i) * 1.7);
        const double at = static_cast<double>(i) * spacing;
        const QPointF a = toPixel(at + wobble, gy0 - 10 * scale);
        const QPointF b = toPixel(at - wobble, gy0 + 266 * scale);
        painter.drawLine(a, b);
      }
      for (long long j = firstRow; j < firstRow + count; ++j) {
        const double wobble = 30.0 * std::cos(static_cast<double>(j) * 1.3);
        const double at = static_cast<double>(j) * spacing;
        const QPointF a = toPixel(gx0 - 10 * scale, at + wobble);
        const QPointF b = toPixel(gx0 + 266 * scale, at - wobble);
        painter.drawLine(a, b);
      }
    }
  };
  roads(160, QColor(210, 205, 195), Qt::white, std::max(1.5, 10.0 / scale));
  roads(1280, QColor(200, 150, 90), QColor(252, 214, 164), std::max(2.5, 18.0 / scale));
  painter.end();
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  tile.save(&buffer, "PNG");
  return bytes;
}

struct TestCa::Folder {
  QTemporaryDir dir;
};

TestCa::TestCa() : m_folder(std::make_unique<Folder>()) {
  const QString d = m_folder->dir.path() + '/';
  const auto run = [](const QStringList& args) {
    QProcess openssl;
    openssl.setProcessChannelMode(QProcess::MergedChannels);
    openssl.start(QStringLiteral("openssl"), args);
    return openssl.waitForFinished(30000) && openssl.exitStatus() == QProcess::NormalExit &&
           openssl.exitCode() == 0;
  };
  QFile ext(d + "server.ext");
  if (!ext.open(QIODevice::WriteOnly)) return;
  ext.write(
      "subjectAltName=IP:127.0.0.1\nbasicConstraints=CA:FALSE\n"
      "keyUsage=digitalSignature,keyEncipherment\nextendedKeyUsage=serverAuth\n");
  ext.close();
  m_ok = run({"req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2", "-subj",
              "/CN=Windlark Test CA", "-keyout", d + "ca.key", "-out", d + "ca.pem"}) &&
         run({"req", "-newkey", "rsa:2048", "-nodes", "-subj", "/CN=127.0.0.1", "-keyout",
              d + "server.key", "-out", d + "server.csr"}) &&
         run({"x509", "-req", "-in", d + "server.csr", "-CA", d + "ca.pem", "-CAkey", d + "ca.key",
              "-CAcreateserial", "-days", "2", "-extfile", d + "server.ext", "-out",
              d + "server.pem"});
}

TestCa::~TestCa() = default;

QString TestCa::CaFile() const {
  return m_folder->dir.path() + QStringLiteral("/ca.pem");
}

QSslConfiguration TestCa::ServerConfiguration() const {
  QSslConfiguration ssl = QSslConfiguration::defaultConfiguration();
  const QString d = m_folder->dir.path() + '/';
  ssl.setLocalCertificateChain(QSslCertificate::fromPath(d + "server.pem"));
  QFile key(d + "server.key");
  if (key.open(QIODevice::ReadOnly)) ssl.setPrivateKey(QSslKey(&key, QSsl::Rsa));
  ssl.setPeerVerifyMode(QSslSocket::VerifyNone);
  return ssl;
}

}  // namespace windlark
