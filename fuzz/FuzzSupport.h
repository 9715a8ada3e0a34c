#pragma once

#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "decoder/FlightState.h"
#include "decoder/FrameDecoder.h"
#include "decoder/PanelRecorder.h"
#include "decoder/SondeState.h"
#include "decoder/TelemetryLog.h"
#include "xdata/InstrumentChain.h"

namespace windlark::fuzz {

// The input as a file in memory, reachable by path like any file on disk.
class MemoryFile {
 public:
  MemoryFile(const std::uint8_t* data, std::size_t size) {
    m_fd = ::memfd_create("windlark-fuzz", MFD_CLOEXEC);
    if (m_fd < 0) return;
    for (std::size_t done = 0; done < size;) {
      const ssize_t n = ::write(m_fd, data + done, size - done);
      if (n <= 0) break;
      done += static_cast<std::size_t>(n);
    }
  }
  ~MemoryFile() {
    if (m_fd >= 0) ::close(m_fd);
  }
  MemoryFile(const MemoryFile&) = delete;
  MemoryFile& operator=(const MemoryFile&) = delete;
  std::string Path() const { return "/dev/fd/" + std::to_string(m_fd); }

 private:
  int m_fd = -1;
};

// The decoder's memory behind a recording display, reset as at window creation.
struct Decoder {
  PanelRecorder view;
  LampBank lamps{view};
  DecoderHooks hooks;
  DecodeContext ctx{view, lamps, hooks, {}, {}};
  SondeState state;
  TelemetryLog log;
  InstrumentChain instruments;

  Decoder() {
    ctx.instruments = &instruments;
    ShowInitialPanels(view);
    ResetDecoder(state, log, ctx);
  }
};

}  // namespace windlark::fuzz
