#pragma once

#include <string>
#include <string_view>

#include "decoder/FrameDecoder.h"

namespace windlark {

// Points any of descriptors 0-2 that is closed at /dev/null, so that no file opened later takes
// its number: a raw file opened as descriptor 0 would be read as console commands.
void KeepStandardDescriptorsOpen();

// Whether standard input is a terminal, a pipe or a socket: only then is it read for commands.
// /dev/null, a regular file or a device stays unread.
bool StandardInputTakesCommands();

// An events-log line safe for a line-based output: control bytes and bytes that are not valid
// UTF-8 (a sonde id from the air may hold either) become \xNN.
std::string EscapeLogLine(std::string_view line);

// What a run printed, for its one-line summary on standard error. A frame without any intact
// block carries nothing but noise and is not printed.
class FrameTally {
 public:
  // Counts the frame; false when it has no intact block and is to be skipped.
  bool Count(const FrameChecks& checks);
  // "N frames decoded, M with failed blocks, K without an intact block skipped"
  std::string Summary() const;

 private:
  long m_decoded = 0;
  long m_failedBlocks = 0;
  long m_skipped = 0;
};

}  // namespace windlark
