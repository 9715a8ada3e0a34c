#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace windlark {

// Result of writing a file: on failure `error` says what went wrong and with which path.
struct FileWriteResult {
  bool ok = false;
  std::string error;
};

// Writes `content` to a temporary file in the target's folder and renames it over `target`, so
// the chosen name holds either the old file or the complete new one, never a part. An existing
// file keeps its permissions; a symbolic link is followed to the file it names.
FileWriteResult WriteFileAtomically(const std::filesystem::path& target, std::string_view content);

}  // namespace windlark
