#pragma once

#include <sys/resource.h>

#include <csignal>

namespace windlark::test {

// Makes writes past `bytes` fail with EFBIG for the whole process while it lives: a write
// failure that holds even for root, who ignores file permissions.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    getrlimit(RLIMIT_FSIZE, &m_saved);
    m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit = m_saved;
    limit.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &m_saved);
    std::signal(SIGXFSZ, m_oldHandler);
  }
  FileSizeLimit(const FileSizeLimit&) = delete;
  FileSizeLimit& operator=(const FileSizeLimit&) = delete;

 private:
  rlimit m_saved{};
  void (*m_oldHandler)(int) = nullptr;
};

}  // namespace windlark::test
