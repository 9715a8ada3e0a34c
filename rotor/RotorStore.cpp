#include "rotor/RotorStore.h"

#include <fstream>
#include <sstream>
#include <system_error>

#include "base/AtomicFile.h"
#include "rotor/RotorTexts.h"

namespace windlark {

std::string RotorStore::Write(int azimuth, int elevation) {
  // Never the working folder by default: another program looks for the files in one place.
  if (m_dir.empty()) return "no folder for the AZ/EL files";
  std::error_code ec;
  std::filesystem::create_directories(m_dir, ec);
  if (ec) return m_dir.string() + ": " + ec.message();
  for (const auto& [name, value] : {std::pair{"AZ", azimuth}, std::pair{"EL", elevation}}) {
    const FileWriteResult result = WriteFileAtomically(m_dir / name, FormatDegrees(value));
    if (!result.ok) return result.error;
  }
  return {};
}

std::optional<std::string> RotorStore::Read(const std::string& name) const {
  std::ifstream in(m_dir / name, std::ios::binary);
  if (!in) return std::nullopt;
  std::ostringstream text;
  text << in.rdbuf();
  return std::move(text).str();
}

}  // namespace windlark
