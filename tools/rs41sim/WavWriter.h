#pragma once

#include <cstdint>
#include <cstdio>
#include <span>
#include <string>

namespace rs41sim {

enum class SampleFormat { kU8, kWav8, kWav16 };

// Writes 8-bit samples as raw u8, 8-bit WAV or 16-bit WAV (mono, 48 kHz). The total sample
// count must be known up front so the WAV header can be written without seeking, which keeps
// stdout ("-") usable.
class SampleWriter {
 public:
  SampleWriter() = default;
  SampleWriter(const SampleWriter&) = delete;
  SampleWriter& operator=(const SampleWriter&) = delete;
  ~SampleWriter();

  // Throws std::runtime_error on open failure or a WAV that would exceed 4 GiB.
  void Open(const std::string& path, SampleFormat format, std::uint64_t totalSamples);
  void Write(std::span<const std::uint8_t> samples);
  // Throws if fewer/more samples than announced were written or on an I/O error.
  void Close();

 private:
  void Put(std::span<const std::uint8_t> bytes);

  std::FILE* m_file = nullptr;
  bool m_ownsFile = false;
  SampleFormat m_format = SampleFormat::kU8;
  std::uint64_t m_expected = 0;
  std::uint64_t m_written = 0;
  std::string m_path;
};

}  // namespace rs41sim
