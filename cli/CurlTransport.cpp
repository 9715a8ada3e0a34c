#include "cli/CurlTransport.h"

#include <curl/curl.h>

#include <mutex>

namespace windlark {

namespace {

constexpr std::size_t kMaxBody = 1 << 20;

std::size_t Collect(char* data, std::size_t size, std::size_t count, void* target) {
  auto& body = *static_cast<std::string*>(target);
  const std::size_t bytes = size * count;
  if (body.size() < kMaxBody) body.append(data, std::min(bytes, kMaxBody - body.size()));
  return bytes;
}

int Progress(void* cancelled, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
  const auto& stop = *static_cast<const std::function<bool()>*>(cancelled);
  return stop && stop() ? 1 : 0;
}

}  // namespace

CurlTransport::CurlTransport(std::string caFile) : m_caFile(std::move(caFile)) {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
  m_curl = curl_easy_init();
}

CurlTransport::~CurlTransport() {
  if (m_curl != nullptr) curl_easy_cleanup(static_cast<CURL*>(m_curl));
}

HttpResponse CurlTransport::Send(const HttpRequest& request,
                                 const std::function<bool()>& cancelled) {
  HttpResponse result;
  auto* curl = static_cast<CURL*>(m_curl);
  if (curl == nullptr) {
    result.error = "libcurl could not start";
    return result;
  }
  curl_easy_reset(curl);
  curl_slist* headers = nullptr;
  for (const auto& [name, value] : request.headers) {
    std::string line = name;
    line += ": ";
    line += value;
    headers = curl_slist_append(headers, line.c_str());
  }
  // No "Expect: 100-continue" pause before the body.
  headers = curl_slist_append(headers, "Expect:");
  curl_easy_setopt(curl, CURLOPT_URL, request.url.c_str());
  curl_easy_setopt(curl, CURLOPT_CUSTOMREQUEST, request.method.c_str());
  curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
  curl_easy_setopt(curl, CURLOPT_POSTFIELDS, request.body.data());
  curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(request.body.size()));
  curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, static_cast<long>(request.timeoutMs));
  curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(request.timeoutMs));
  curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(curl, CURLOPT_SSLVERSION, static_cast<long>(CURL_SSLVERSION_TLSv1_2));
  curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 1L);
  curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 2L);
  if (!m_caFile.empty()) {
    // Trusted besides the system's certificate folder, which stays the default path.
    curl_easy_setopt(curl, CURLOPT_CAINFO, m_caFile.c_str());
  }
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &Collect);
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, &result.body);
  curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
  curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, &Progress);
  curl_easy_setopt(curl, CURLOPT_XFERINFODATA, const_cast<std::function<bool()>*>(&cancelled));
  const CURLcode code = curl_easy_perform(curl);
  curl_slist_free_all(headers);
  if (code != CURLE_OK) {
    result.status = 0;
    result.error = curl_easy_strerror(code);
    return result;
  }
  long status = 0;
  curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
  result.status = static_cast<int>(status);
  return result;
}

}  // namespace windlark
