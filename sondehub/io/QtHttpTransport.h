#pragma once

#include <QSslConfiguration>
#include <memory>
#include <string>

#include "sondehub/HttpTransport.h"

class QNetworkAccessManager;

namespace windlark {

// HTTP through Qt, for the uploading thread: made and used on that thread only. TLS 1.2 or
// later with verified certificates; an extra CA file lets a private or test server be trusted.
class QtHttpTransport : public HttpTransport {
 public:
  explicit QtHttpTransport(const std::string& caFile);
  ~QtHttpTransport() override;
  HttpResponse Send(const HttpRequest& request, const std::function<bool()>& cancelled) override;

 private:
  QSslConfiguration m_ssl;
  std::unique_ptr<QNetworkAccessManager> m_manager;
};

}  // namespace windlark
