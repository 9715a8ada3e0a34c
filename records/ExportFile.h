#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

#include "base/AtomicFile.h"

namespace windlark {

// Progress of an export in percent, 0 … 100.
using ExportProgress = std::function<void(int percent)>;

// How an export ended: the text is the one the user is shown in either case.
struct ExportOutcome {
  bool ok = false;
  std::string message;
};

// Turns "entry i of n is done" into percent steps and calls the callback only when the
// percentage changes, so a slow receiver (the window's thread) is not called once per entry.
class ProgressSteps {
 public:
  ProgressSteps(const ExportProgress& progress, std::size_t total);
  void Done(std::size_t done);

 private:
  const ExportProgress& m_progress;
  std::size_t m_total;
  int m_last = -1;
};

}  // namespace windlark
