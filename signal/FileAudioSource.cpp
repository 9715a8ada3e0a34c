#include "signal/FileAudioSource.h"

#include <array>
#include <cerrno>
#include <cstring>
#include <vector>

namespace windlark {

namespace {

constexpr std::uint32_t kSampleRate = 48000;
constexpr std::uint16_t kWavePcm = 1;
constexpr std::uint16_t kWaveExtensible = 0xFFFE;

std::uint32_t Le32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
         static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

std::uint16_t Le16(const std::uint8_t* p) {
  return static_cast<std::uint16_t>(p[0] | p[1] << 8);
}

}  // namespace

FileAudioSource::~FileAudioSource() {
  Close();
}

int FileAudioSource::Open(int /*deviceIndex*/) {
  Close();
  m_error.clear();
  m_atEnd = false;
  m_flushed = false;
  m_lastLevel = 128;
  m_samplesRead = 0;
  if (m_path == "-") {
    m_file = stdin;
    m_ownsFile = false;
  } else {
    m_file = std::fopen(m_path.c_str(), "rb");
    m_ownsFile = true;
    if (m_file == nullptr) {
      m_error = "cannot open " + m_path + ": " + std::strerror(errno);
      return 1;
    }
  }
  if (m_format == Format::RawU8) {
    m_bytesPerSample = 1;
    m_channels = 1;
    m_dataSized = false;
    return 0;
  }
  if (!ReadWavHeader()) {
    Close();
    return 2;
  }
  return 0;
}

bool FileAudioSource::ReadBytes(void* out, std::size_t count) {
  return std::fread(out, 1, count, m_file) == count;
}

bool FileAudioSource::ReadWavHeader() {
  std::array<std::uint8_t, 12> riff{};
  if (!ReadBytes(riff.data(), riff.size()) || std::memcmp(riff.data(), "RIFF", 4) != 0 ||
      std::memcmp(riff.data() + 8, "WAVE", 4) != 0) {
    m_error = m_path + " is not a WAV file (use --raw-u8 for headerless 8-bit audio)";
    return false;
  }
  bool haveFormat = false;
  for (;;) {
    std::array<std::uint8_t, 8> chunk{};
    if (!ReadBytes(chunk.data(), chunk.size())) {
      m_error = m_path + ": WAV file has no data chunk";
      return false;
    }
    const std::uint32_t size = Le32(chunk.data() + 4);
    if (std::memcmp(chunk.data(), "fmt ", 4) == 0) {
      if (size < 16 || size > 1024) {
        m_error = m_path + ": malformed WAV format chunk";
        return false;
      }
      std::vector<std::uint8_t> fmt(size + (size & 1U));
      if (!ReadBytes(fmt.data(), fmt.size())) {
        m_error = m_path + ": truncated WAV format chunk";
        return false;
      }
      std::uint16_t encoding = Le16(fmt.data());
      if (encoding == kWaveExtensible && size >= 26) encoding = Le16(fmt.data() + 24);
      const std::uint16_t channels = Le16(fmt.data() + 2);
      const std::uint32_t rate = Le32(fmt.data() + 4);
      const std::uint16_t bits = Le16(fmt.data() + 14);
      if (encoding != kWavePcm) {
        m_error = m_path + ": WAV encoding " + std::to_string(encoding) + " is not PCM";
        return false;
      }
      if (rate != kSampleRate) {
        m_error = m_path + ": sample rate is " + std::to_string(rate) + " Hz, need 48000 Hz";
        return false;
      }
      if (bits != 8 && bits != 16) {
        m_error = m_path + ": " + std::to_string(bits) + "-bit samples, need 8- or 16-bit PCM";
        return false;
      }
      if (channels < 1) {
        m_error = m_path + ": WAV file has no channels";
        return false;
      }
      m_bytesPerSample = bits / 8;
      m_channels = channels;
      haveFormat = true;
    } else if (std::memcmp(chunk.data(), "data", 4) == 0) {
      if (!haveFormat) {
        m_error = m_path + ": WAV data chunk before its format chunk";
        return false;
      }
      // Streamed WAVs carry 0 or 0xFFFFFFFF here: read to the end instead.
      m_dataSized = size != 0 && size != 0xFFFFFFFFU;
      m_dataLeft = size;
      return true;
    } else {
      // Skip other chunks (LIST, fact, ...), padded to even length.
      if (std::fseek(m_file, static_cast<long>(size) + static_cast<long>(size & 1U), SEEK_CUR) != 0) {
        std::vector<std::uint8_t> skip(size + (size & 1U));
        if (!ReadBytes(skip.data(), skip.size())) {
          m_error = m_path + ": truncated WAV file";
          return false;
        }
      }
    }
  }
}

void FileAudioSource::AddBuffer(WaveHeader& header) {
  header.done = false;
  if (m_started) {
    Fill(header);
  } else {
    m_queue.push_back(&header);
  }
}

void FileAudioSource::Start() {
  m_started = true;
  while (!m_queue.empty()) {
    WaveHeader* header = m_queue.front();
    m_queue.pop_front();
    Fill(*header);
  }
}

void FileAudioSource::Fill(WaveHeader& header) {
  if (m_file == nullptr) return;
  if (m_atEnd) {
    // One buffer of idle level after the end lets a frame whose bits all arrived complete:
    // the synchroniser reads a fixed length that may reach past the recording.
    if (m_flushed) return;
    m_flushed = true;
    std::memset(header.data, m_lastLevel, header.length);
    header.done.store(true, std::memory_order_release);
    return;
  }
  const std::size_t frameBytes =
      static_cast<std::size_t>(m_bytesPerSample) * static_cast<std::size_t>(m_channels);
  std::size_t want = static_cast<std::size_t>(header.length) * frameBytes;
  if (m_dataSized && want > m_dataLeft) want = static_cast<std::size_t>(m_dataLeft);
  std::vector<std::uint8_t> bytes(want);
  const std::size_t got = std::fread(bytes.data(), 1, want, m_file);
  if (m_dataSized) m_dataLeft -= got;
  const std::size_t samples = got / frameBytes;
  // Only the first channel of a multi-channel file is used.
  long sum = 0;
  for (std::size_t k = 0; k < samples; ++k) {
    const std::uint8_t* p = bytes.data() + k * frameBytes;
    std::uint8_t sample = p[0];
    if (m_bytesPerSample == 2) {
      const auto value = static_cast<std::int16_t>(Le16(p));
      sample = static_cast<std::uint8_t>((value >> 8) + 128);
    }
    header.data[k] = sample;
    sum += sample;
  }
  m_samplesRead += samples;
  if (samples > 0) m_lastLevel = static_cast<std::uint8_t>(sum / static_cast<long>(samples));
  if (samples < header.length) {
    m_atEnd = true;
    if (samples == 0) {
      Fill(header);
      return;
    }
    // Pad with the level of what was read, so the slicer's DC estimate stays right.
    std::memset(header.data + samples, m_lastLevel, header.length - samples);
  }
  header.done.store(true, std::memory_order_release);
}

void FileAudioSource::Reset() {
  m_queue.clear();
  m_started = false;
}

void FileAudioSource::Close() {
  if (m_file != nullptr && m_ownsFile) std::fclose(m_file);
  m_file = nullptr;
  m_queue.clear();
  m_started = false;
}

}  // namespace windlark
