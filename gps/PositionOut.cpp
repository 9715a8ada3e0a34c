#include "gps/PositionOut.h"

#include <system_error>

#include "base/AtomicFile.h"
#include "base/Format.h"

namespace windlark {

std::string SondePosText(const SondeState& state) {
  // The id comes from the air: a TAB or a line end in it would shift the fields.
  std::string id = state.sondeId;
  for (char& c : id) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '?';
  }
  return id + '\t' + FormatInt(state.frameNumber) + '\t' + FormatFixed(state.latitude, 6) + '\t' +
         FormatFixed(state.longitude, 6) + '\t' + FormatFixed(state.altitude, 1);
}

std::string PositionOutWriter::Write(const std::string& text) {
  std::error_code ec;
  if (m_file.has_parent_path()) std::filesystem::create_directories(m_file.parent_path(), ec);
  if (ec) return "cannot create " + m_file.parent_path().string() + ": " + ec.message();
  const FileWriteResult result = WriteFileAtomically(m_file, text);
  return result.ok ? std::string() : result.error;
}

}  // namespace windlark
