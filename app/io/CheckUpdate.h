#pragma once

#include <QObject>
#include <QString>

#include "app/UpdateCheck.h"

class QNetworkAccessManager;
class QNetworkReply;

namespace windlark {

// One update check: fetches the version file and says what to show. Qt's network access runs
// the exchange without blocking the window's thread, so the check lives there; every failure
// (no connection, an HTTP error, a time-out, a file that does not parse) ends it without a word.
class TCheckUpdate : public QObject {
  Q_OBJECT

 public:
  static constexpr int kTimeoutMs = 15000;

  TCheckUpdate(QString url, bool silent, QObject* parent = nullptr);
  ~TCheckUpdate() override;

  void Start();
  void SetTimeoutMs(int ms) { m_timeoutMs = ms; }
  bool Silent() const { return m_silent; }
  bool Running() const { return m_reply != nullptr; }

 signals:
  // A newer release than this program's.
  void NewVersion(const windlark::VersionFile& file);
  // The manual check found this program up to date.
  void AlreadyLatest();
  // The check is over, whatever came of it.
  void Finished();

 private:
  void Done();

  QString m_url;
  bool m_silent = true;
  int m_timeoutMs = kTimeoutMs;
  QNetworkAccessManager* m_network = nullptr;
  QNetworkReply* m_reply = nullptr;
};

}  // namespace windlark

Q_DECLARE_METATYPE(windlark::VersionFile)
