#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace windlark {

// The angles other programs read: the files "AZ" and "EL" in one folder, each holding the
// three-digit text. Each is replaced whole (write, then rename), so a reader sees the old or
// the new value, never a part.
class RotorStore {
 public:
  explicit RotorStore(std::filesystem::path dir) : m_dir(std::move(dir)) {}

  // Writes both values (the folder is made when missing); "" or what went wrong.
  std::string Write(int azimuth, int elevation);
  // One value as stored ("AZ" or "EL"); nothing when missing.
  std::optional<std::string> Read(const std::string& name) const;
  const std::filesystem::path& Dir() const { return m_dir; }

 private:
  std::filesystem::path m_dir;
};

}  // namespace windlark
