// The WAV / raw 8-bit audio reader, from a seekable file and from a pipe.
#include <fcntl.h>
#include <unistd.h>

#include <array>

#include "FuzzSupport.h"
#include "signal/FileAudioSource.h"

using namespace windlark;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const std::uint8_t mode = data[0];
  ++data;
  --size;
  const auto format =
      (mode & 1) != 0 ? FileAudioSource::Format::RawU8 : FileAudioSource::Format::Wav;
  std::string path;
  fuzz::MemoryFile file(data, size);
  int fds[2] = {-1, -1};
  // A pipe cannot seek: chunk skips take the reading path. Its buffer holds 64 KB.
  if ((mode & 2) != 0 && size <= 65536 && ::pipe2(fds, O_CLOEXEC) == 0) {
    ::fcntl(fds[1], F_SETPIPE_SZ, 1 << 17);
    if (::write(fds[1], data, size) != static_cast<ssize_t>(size)) size = 0;
    ::close(fds[1]);
    path = "/dev/fd/" + std::to_string(fds[0]);
  } else {
    path = file.Path();
  }
  {
    FileAudioSource source(path, format);
    if (source.Open(-1) == 0) {
      std::array<std::uint8_t, kSamplesPerBuffer> storage{};
      WaveHeader header;
      header.data = storage.data();
      header.length = kSamplesPerBuffer;
      source.Start();
      for (int k = 0; k < 64; ++k) {
        source.AddBuffer(header);
        if (!header.done) break;
      }
    }
  }
  if (fds[0] >= 0) ::close(fds[0]);
  return 0;
}
