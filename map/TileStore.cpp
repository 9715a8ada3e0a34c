#include "map/TileStore.h"

#include <atomic>
#include <fstream>
#include <system_error>

#include "base/Format.h"

namespace windlark {

namespace {

std::filesystem::path TemporaryName(const std::filesystem::path& file) {
  static std::atomic<unsigned long long> counter{0};
  return file.parent_path() / ("." + file.filename().string() + "." +
                               FormatInt(static_cast<long long>(++counter)) + ".tmp");
}

bool WriteWhole(const std::filesystem::path& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out) return false;
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  return static_cast<bool>(out);
}

}  // namespace

TileWrite WriteTileFile(const std::filesystem::path& file, std::string_view bytes, bool overwrite) {
  std::error_code ec;
  if (!overwrite && std::filesystem::exists(file, ec)) return TileWrite::Exists;
  std::filesystem::create_directories(file.parent_path(), ec);
  if (ec) return TileWrite::Failed;
  const std::filesystem::path temporary = TemporaryName(file);
  if (!WriteWhole(temporary, bytes)) {
    std::filesystem::remove(temporary, ec);
    return TileWrite::Failed;
  }
  TileWrite result = TileWrite::Written;
  if (overwrite) {
    std::filesystem::rename(temporary, file, ec);
    if (ec) result = TileWrite::Failed;
  } else {
    // A hard link fails when the name exists, so a tile another writer stored in the meantime
    // is never replaced.
    std::filesystem::create_hard_link(temporary, file, ec);
    if (ec == std::errc::file_exists) {
      result = TileWrite::Exists;
    } else if (ec) {
      // A file system without hard links: the check above is the best there is.
      ec.clear();
      if (std::filesystem::exists(file, ec)) {
        result = TileWrite::Exists;
      } else {
        std::filesystem::rename(temporary, file, ec);
        if (ec) result = TileWrite::Failed;
      }
    }
  }
  std::filesystem::remove(temporary, ec);
  return result;
}

}  // namespace windlark
