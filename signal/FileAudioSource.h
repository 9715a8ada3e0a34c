#pragma once

#include <cstdint>
#include <cstdio>
#include <deque>
#include <string>

#include "signal/AudioCapture.h"

namespace windlark {

// Audio from a WAV file (8- or 16-bit PCM, 48 000 Hz), or headerless unsigned 8-bit samples,
// from a file or standard input ("-"). Buffers are filled as soon as they are queued, so a
// reader polls as fast as it likes; the last partial buffer is padded with its own mean level, and
// one buffer of that level follows the end.
class FileAudioSource : public AudioSource {
 public:
  enum class Format { Wav, RawU8 };

  FileAudioSource(std::string path, Format format) : m_path(std::move(path)), m_format(format) {}
  ~FileAudioSource() override;
  FileAudioSource(const FileAudioSource&) = delete;
  FileAudioSource& operator=(const FileAudioSource&) = delete;

  int Open(int deviceIndex) override;
  void AddBuffer(WaveHeader& header) override;
  void Start() override;
  void Reset() override;
  void Close() override;
  // Also set, after the end, when the input could not be read to its end.
  std::string ErrorText() const override { return m_error; }

  bool AtEnd() const { return m_atEnd; }
  std::uint64_t SamplesRead() const { return m_samplesRead; }

 private:
  bool ReadWavHeader();
  void Fill(WaveHeader& header);
  bool ReadBytes(void* out, std::size_t count);

  std::string m_path;
  Format m_format;
  std::FILE* m_file = nullptr;
  bool m_ownsFile = false;
  std::string m_error;
  std::deque<WaveHeader*> m_queue;
  bool m_started = false;
  bool m_atEnd = false;
  bool m_flushed = false;
  std::uint8_t m_lastLevel = 128;
  int m_bytesPerSample = 1;
  int m_channels = 1;
  std::uint64_t m_dataLeft = 0;  // bytes of the data chunk still to read
  bool m_dataSized = false;      // false for streams whose data chunk has no usable size
  std::uint64_t m_samplesRead = 0;
};

}  // namespace windlark
