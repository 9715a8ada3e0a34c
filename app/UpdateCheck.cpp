#include "app/UpdateCheck.h"

#include <charconv>

#include "base/Format.h"

namespace windlark {

namespace {

// Digits only: a sign or blanks make no version number.
std::optional<int> Decimal(std::string_view text) {
  if (text.empty() || text.size() > 9) return std::nullopt;
  int value = 0;
  const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
  if (result.ec != std::errc() || result.ptr != text.data() + text.size()) return std::nullopt;
  if (text.front() < '0' || text.front() > '9') return std::nullopt;
  return value;
}

}  // namespace

std::optional<VersionFile> ParseVersionFile(std::string_view reply) {
  const auto end = reply.find("\r\n");
  if (end == std::string_view::npos) return std::nullopt;
  const std::string_view first = reply.substr(0, end);
  const auto point = first.find('.');
  if (point == std::string_view::npos) return std::nullopt;
  const auto major = Decimal(first.substr(0, point));
  const auto minor = Decimal(first.substr(point + 1));
  if (!major || !minor) return std::nullopt;
  return VersionFile{*major, *minor, std::string(reply.substr(end + 2))};
}

long long VersionNumber(int major, int minor) {
  return static_cast<long long>(major) * 100 + minor;
}

UpdateOutcome DecideUpdate(int ownMajor, int ownMinor, const VersionFile& file, bool silent) {
  if (file.major == 0) return UpdateOutcome::Nothing;
  if (VersionNumber(ownMajor, ownMinor) < VersionNumber(file.major, file.minor)) {
    return UpdateOutcome::NewVersion;
  }
  return silent ? UpdateOutcome::Nothing : UpdateOutcome::AlreadyLatest;
}

std::string AlreadyUpdatedText(int major, int minor) {
  return "Software already updated to the latest release " + VersionText(major, minor);
}

std::string VersionText(int major, int minor) {
  return FormatInt(major) + "." + FormatInt(minor);
}

}  // namespace windlark
