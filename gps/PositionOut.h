#pragma once

#include <filesystem>
#include <string>

#include "decoder/SondeState.h"

namespace windlark {

// The sonde's latest position for other programs on this machine: identity, frame number,
// latitude, longitude and altitude, separated by one TAB each, nothing after the last.
std::string SondePosText(const SondeState& state);

// Publishes the text as one small file, replaced whole (write, then rename) so that a reader
// sees the previous value or the new one, never a part.
class PositionOutWriter {
 public:
  explicit PositionOutWriter(std::filesystem::path file) : m_file(std::move(file)) {}

  // Writes the text; "" or what went wrong. A failure changes nothing; the next call tries
  // again (the folder is created when missing).
  std::string Write(const std::string& text);
  const std::filesystem::path& File() const { return m_file; }

 private:
  std::filesystem::path m_file;
};

}  // namespace windlark
