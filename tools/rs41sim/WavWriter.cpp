#include "WavWriter.h"

#include <array>
#include <stdexcept>
#include <vector>

#include "Modulator.h"

namespace rs41sim {
namespace {

constexpr std::uint64_t kMaxRiffPayload = 0xFFFFFFFFull - 64;

void AppendU16(std::vector<std::uint8_t>& out, std::uint32_t value) {
  out.push_back(static_cast<std::uint8_t>(value & 0xFFu));
  out.push_back(static_cast<std::uint8_t>((value >> 8) & 0xFFu));
}

void AppendU32(std::vector<std::uint8_t>& out, std::uint32_t value) {
  AppendU16(out, value & 0xFFFFu);
  AppendU16(out, value >> 16);
}

void AppendTag(std::vector<std::uint8_t>& out, const char (&tag)[5]) {
  for (std::size_t i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(tag[i]));
}

std::vector<std::uint8_t> WavHeader(std::uint32_t bytesPerSample, std::uint32_t dataBytes) {
  const std::uint32_t rate = static_cast<std::uint32_t>(kSampleRate);
  const std::uint32_t padded = dataBytes + (dataBytes & 1u);  // RIFF chunks are word aligned
  std::vector<std::uint8_t> header;
  AppendTag(header, "RIFF");
  AppendU32(header, 36 + padded);
  AppendTag(header, "WAVE");
  AppendTag(header, "fmt ");
  AppendU32(header, 16);
  AppendU16(header, 1);  // PCM
  AppendU16(header, 1);  // mono
  AppendU32(header, rate);
  AppendU32(header, rate * bytesPerSample);
  AppendU16(header, bytesPerSample);
  AppendU16(header, 8 * bytesPerSample);
  AppendTag(header, "data");
  AppendU32(header, dataBytes);
  return header;
}

}  // namespace

SampleWriter::~SampleWriter() {
  if (m_file != nullptr && m_ownsFile) std::fclose(m_file);
}

void SampleWriter::Open(const std::string& path, SampleFormat format, std::uint64_t totalSamples) {
  m_path = path;
  m_format = format;
  m_expected = totalSamples;
  const std::uint64_t bytesPerSample = format == SampleFormat::kWav16 ? 2 : 1;
  if (format != SampleFormat::kU8 && totalSamples * bytesPerSample > kMaxRiffPayload) {
    throw std::runtime_error("output too long for a WAV file; use --format u8");
  }
  if (path == "-") {
    m_file = stdout;
    m_ownsFile = false;
  } else {
    m_file = std::fopen(path.c_str(), "wb");
    m_ownsFile = true;
    if (m_file == nullptr) throw std::runtime_error("cannot create '" + path + "'");
  }
  if (format != SampleFormat::kU8) {
    const auto dataBytes = static_cast<std::uint32_t>(totalSamples * bytesPerSample);
    Put(WavHeader(static_cast<std::uint32_t>(bytesPerSample), dataBytes));
  }
}

void SampleWriter::Put(std::span<const std::uint8_t> bytes) {
  if (bytes.empty()) return;
  if (std::fwrite(bytes.data(), 1, bytes.size(), m_file) != bytes.size()) {
    throw std::runtime_error("write error on '" + m_path + "'");
  }
}

void SampleWriter::Write(std::span<const std::uint8_t> samples) {
  m_written += samples.size();
  if (m_format != SampleFormat::kWav16) {
    Put(samples);
    return;
  }
  std::vector<std::uint8_t> wide;
  wide.reserve(2 * samples.size());
  for (const std::uint8_t sample : samples) {
    // (u8 - 128) * 256 as little-endian int16: low byte 0, high byte is u8 with the MSB flipped.
    wide.push_back(0);
    wide.push_back(static_cast<std::uint8_t>(sample ^ 0x80u));
  }
  Put(wide);
}

void SampleWriter::Close() {
  if (m_file == nullptr) return;
  if (m_format == SampleFormat::kWav8 && (m_written & 1u) != 0) {
    const std::array<std::uint8_t, 1> pad{0};
    Put(pad);
  }
  const bool flushFailed = std::fflush(m_file) != 0;
  const bool closeFailed = m_ownsFile && std::fclose(m_file) != 0;
  m_file = nullptr;
  if (flushFailed || closeFailed) throw std::runtime_error("write error on '" + m_path + "'");
  if (m_written != m_expected) throw std::logic_error("sample count differs from WAV header");
}

}  // namespace rs41sim
