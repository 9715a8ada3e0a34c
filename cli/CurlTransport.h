#pragma once

#include <string>

#include "sondehub/HttpTransport.h"

namespace windlark {

// HTTP through libcurl for the command line: certificates verified, TLS 1.2 or later, and an
// extra CA file when given (a private or test server).
class CurlTransport : public HttpTransport {
 public:
  explicit CurlTransport(std::string caFile);
  ~CurlTransport() override;
  CurlTransport(const CurlTransport&) = delete;
  CurlTransport& operator=(const CurlTransport&) = delete;
  HttpResponse Send(const HttpRequest& request, const std::function<bool()>& cancelled) override;

 private:
  std::string m_caFile;
  void* m_curl = nullptr;  // one handle, so the connection is kept between requests
};

}  // namespace windlark
