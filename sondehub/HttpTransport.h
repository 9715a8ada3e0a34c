#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace windlark {

struct HttpRequest {
  std::string method = "PUT";
  std::string url;
  std::vector<std::pair<std::string, std::string>> headers;
  std::string body;
  int timeoutMs = 20000;
};

struct HttpResponse {
  int status = 0;     // 0 when no answer came
  std::string error;  // what went wrong on the way, empty when the server answered
  std::string body;
};

// One HTTP exchange, synchronous. The desktop program sends through Qt, the command line
// through libcurl; `cancelled` is polled so that a stop ends a request at once.
class HttpTransport {
 public:
  virtual ~HttpTransport() = default;
  virtual HttpResponse Send(const HttpRequest& request, const std::function<bool()>& cancelled) = 0;
};

}  // namespace windlark
