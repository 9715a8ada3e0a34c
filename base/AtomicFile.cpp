#include "base/AtomicFile.h"

#include <cerrno>
#include <cstdio>
#include <random>
#include <system_error>

#include "base/Format.h"

namespace windlark {

namespace {

std::string Quoted(const std::filesystem::path& path) {
  std::string quoted(1, '"');
  quoted += path.string();
  quoted += '"';
  return quoted;
}

std::string ErrnoText(int error) {
  return std::generic_category().message(error);
}

// The file the name stands for: a link is replaced by nothing but the file it points to.
std::filesystem::path ResolveTarget(const std::filesystem::path& target) {
  std::error_code ec;
  if (!std::filesystem::is_symlink(target, ec)) return target;
  auto resolved = std::filesystem::canonical(target, ec);
  return ec ? target : resolved;
}

// Creates a new file beside the target that nobody else can have opened ("x": fails if it
// exists), under a name that the folder listing shows as temporary.
std::FILE* CreateTemporary(const std::filesystem::path& target, std::filesystem::path& created,
                           int& error) {
  std::random_device seed;
  std::mt19937_64 random(seed());
  error = 0;
  for (int attempt = 0; attempt < 16; ++attempt) {
    const auto suffix = FormatInt(static_cast<long long>(random() % 1000000000ULL), 9);
    std::string name(1, '.');
    name += target.filename().string();
    name += '.';
    name += suffix;
    name += ".tmp";
    created = target.parent_path() / name;
    std::FILE* file = std::fopen(created.c_str(), "wbx");
    if (file != nullptr) return file;
    error = errno;
    if (error != EEXIST) return nullptr;
  }
  return nullptr;
}

bool WriteAll(std::FILE* file, std::string_view content, int& error) {
  errno = 0;
  const bool written = std::fwrite(content.data(), 1, content.size(), file) == content.size() &&
                       std::fflush(file) == 0;
  error = errno;
  const bool closed = std::fclose(file) == 0;
  if (written && !closed) error = errno;
  if (error == 0 && !(written && closed)) error = EIO;
  return written && closed;
}

}  // namespace

FileWriteResult WriteFileAtomically(const std::filesystem::path& target, std::string_view content) {
  const std::filesystem::path finalPath = ResolveTarget(target);
  if (finalPath.filename().empty()) return {false, "No file name in " + Quoted(target)};

  std::filesystem::path temporary;
  int error = 0;
  std::FILE* file = CreateTemporary(finalPath, temporary, error);
  if (file == nullptr) {
    return {false, "Cannot create a file in the folder of " + Quoted(finalPath) + ": " +
                       ErrnoText(error == 0 ? EIO : error)};
  }

  std::error_code ec;
  if (!WriteAll(file, content, error)) {
    std::filesystem::remove(temporary, ec);
    return {false, "Cannot write " + Quoted(finalPath) + ": " + ErrnoText(error)};
  }

  // A replaced file keeps the access rights the user gave it.
  const auto existing = std::filesystem::status(finalPath, ec);
  if (!ec && std::filesystem::is_regular_file(existing)) {
    std::filesystem::permissions(temporary, existing.permissions(), ec);
  }

  std::filesystem::rename(temporary, finalPath, ec);
  if (ec) {
    std::error_code ignored;
    std::filesystem::remove(temporary, ignored);
    return {false, "Cannot write " + Quoted(finalPath) + ": " + ec.message()};
  }
  return {true, {}};
}

}  // namespace windlark
