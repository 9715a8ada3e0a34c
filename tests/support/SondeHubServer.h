#pragma once

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QMutex>
#include <QSslConfiguration>
#include <QString>
#include <QThread>

namespace windlark {

// A SondeHub-like API on 127.0.0.1 for tests, HTTPS with a given certificate (plain HTTP
// without one), on its own thread. It keeps every request and answers each in turn from a
// script of answers, then with the default (200).
class SondeHubServer {
 public:
  struct Request {
    QByteArray method;
    QByteArray path;
    QMap<QByteArray, QByteArray> headers;  // names in lower case
    QByteArray body;                       // as sent
    QByteArray json;                       // gunzipped when "Content-Encoding: gzip", else body
    bool gzipOk = false;
  };
  struct Answer {
    int status = 200;
    QByteArray body;
    bool drop = false;  // close the connection without an answer
  };

  explicit SondeHubServer(const QSslConfiguration* tls = nullptr);
  ~SondeHubServer();
  SondeHubServer(const SondeHubServer&) = delete;
  SondeHubServer& operator=(const SondeHubServer&) = delete;

  QString BaseUrl() const;
  void Script(const QList<Answer>& answers);
  void SetDefault(const Answer& answer);
  QList<Request> Requests() const;
  // The requests to one path.
  QList<Request> RequestsTo(const QByteArray& path) const;

  struct Shared {
    mutable QMutex lock;
    QList<Answer> script;
    Answer fallback;
    QList<Request> requests;
  };

  // Gunzips `data`; false when it is not gzip.
  static bool Gunzip(const QByteArray& data, QByteArray& out);

 private:
  Shared m_shared;
  QThread m_thread;
  QObject* m_worker = nullptr;
  quint16 m_port = 0;
  bool m_tls = false;
};

}  // namespace windlark
