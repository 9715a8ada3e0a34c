#include "records/ExportFile.h"

#include "base/Format.h"

namespace windlark {

ProgressSteps::ProgressSteps(const ExportProgress& progress, std::size_t total)
    : m_progress(progress), m_total(total) {}

void ProgressSteps::Done(std::size_t done) {
  if (!m_progress || m_total == 0) return;
  const auto percent = static_cast<int>(
      RoundHalfEven(static_cast<double>(done) * 100.0 / static_cast<double>(m_total)));
  if (percent == m_last) return;
  m_last = percent;
  m_progress(percent);
}

}  // namespace windlark
