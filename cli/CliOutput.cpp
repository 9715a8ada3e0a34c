#include "cli/CliOutput.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

#include "base/Format.h"
#include "base/Hex.h"

namespace windlark {

void KeepStandardDescriptorsOpen() {
  for (int fd = 0; fd <= 2; ++fd) {
    if (::fcntl(fd, F_GETFD) != -1) continue;
    // open() returns the lowest free number, which is this one.
    const int opened = ::open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY);
    if (opened >= 0 && opened != fd) {
      ::dup2(opened, fd);
      ::close(opened);
    }
  }
}

bool StandardInputTakesCommands() {
  if (::isatty(0) == 1) return true;
  struct stat info {};
  if (::fstat(0, &info) != 0) return false;
  return S_ISFIFO(info.st_mode) || S_ISSOCK(info.st_mode);
}

namespace {

// The length of the valid UTF-8 sequence at `at`, or 0.
std::size_t Utf8Length(std::string_view text, std::size_t at) {
  const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
  const unsigned lead = byte(at);
  std::size_t length = 0;
  unsigned low = 0x80;
  unsigned high = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;   // no over-long forms
    if (lead == 0xED) high = 0x9F;  // no surrogates
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;  // nothing past U+10FFFF
  } else {
    return 0;
  }
  if (at + length > text.size()) return 0;
  if (byte(at + 1) < low || byte(at + 1) > high) return 0;
  for (std::size_t k = 2; k < length; ++k) {
    if (byte(at + k) < 0x80 || byte(at + k) > 0xBF) return 0;
  }
  return length;
}

}  // namespace

std::string EscapeLogLine(std::string_view line) {
  std::string out;
  out.reserve(line.size());
  for (std::size_t i = 0; i < line.size();) {
    const auto c = static_cast<unsigned char>(line[i]);
    if (c >= 0x20 && c < 0x7F) {
      out += line[i++];
      continue;
    }
    if (const std::size_t length = c >= 0x80 ? Utf8Length(line, i) : 0; length > 0) {
      out.append(line.substr(i, length));
      i += length;
      continue;
    }
    out += "\\x";
    out += kHexUpper[c >> 4];
    out += kHexUpper[c & 0x0F];
    ++i;
  }
  return out;
}

bool FrameTally::Count(const FrameChecks& checks) {
  const bool auxOk = std::any_of(checks.aux.begin(), checks.aux.end(),
                                 [](const FrameChecks::AuxBlock& b) { return b.crcOk; });
  const bool auxFailed = std::any_of(checks.aux.begin(), checks.aux.end(),
                                     [](const FrameChecks::AuxBlock& b) { return !b.crcOk; });
  if (!(checks.status || checks.ptu || checks.gpsTime || checks.gpsPosition || auxOk)) {
    ++m_skipped;
    return false;
  }
  ++m_decoded;
  if (!(checks.status && checks.ptu && checks.gpsTime && checks.gpsPosition) || auxFailed) {
    ++m_failedBlocks;
  }
  return true;
}

std::string FrameTally::Summary() const {
  return FormatInt(m_decoded) + (m_decoded == 1 ? " frame" : " frames") + " decoded, " +
         FormatInt(m_failedBlocks) + " with failed blocks, " + FormatInt(m_skipped) +
         " without an intact block skipped";
}

}  // namespace windlark
