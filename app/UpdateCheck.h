#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace windlark {

// The project's own release file (release/version.txt in the source tree, served raw by the
// repository host) and the project's page for the link of the new-version window.
inline constexpr std::string_view kDefaultVersionFileUrl =
    "https://raw.githubusercontent.com/windlark-project/windlark/main/release/version.txt";
inline constexpr std::string_view kDefaultWebPageUrl =
    "https://github.com/windlark-project/windlark/releases";

inline constexpr std::string_view kNewReleaseLogText =
    "New release of Windlark is now available for download";

// The version file: its first line, ended by CR LF, is "major.minor"; the rest the change log.
struct VersionFile {
  int major = 0;
  int minor = 0;
  std::string changeLog;
};

// Nothing for a reply without CR LF or a first line that is not two decimal integers around
// a ".".
std::optional<VersionFile> ParseVersionFile(std::string_view reply);

// major x 100 + minor: 1.15 is 115, 1.100 counts as 200.
long long VersionNumber(int major, int minor);

enum class UpdateOutcome {
  Nothing,        // no announcement, no box
  NewVersion,     // the new-version window
  AlreadyLatest,  // the information box (manual checks only)
};

UpdateOutcome DecideUpdate(int ownMajor, int ownMinor, const VersionFile& file, bool silent);

// "Software already updated to the latest release 1.15"
std::string AlreadyUpdatedText(int major, int minor);
// "1.16"
std::string VersionText(int major, int minor);

}  // namespace windlark
