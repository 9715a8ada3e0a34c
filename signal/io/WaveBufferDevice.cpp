#include "signal/io/WaveBufferDevice.h"

namespace windlark {

TWaveBufferDevice::TWaveBufferDevice(QObject* parent) : QIODevice(parent) {}

void TWaveBufferDevice::SetSamples(Samples samples) {
  std::lock_guard lock(m_mutex);
  m_samples = samples;
  m_haveLowByte = false;
}

void TWaveBufferDevice::AddBuffer(WaveHeader& header) {
  std::lock_guard lock(m_mutex);
  header.done.store(false, std::memory_order_relaxed);
  m_queue.push_back(&header);
}

void TWaveBufferDevice::SetAccepting(bool accepting) {
  std::lock_guard lock(m_mutex);
  m_accepting = accepting;
}

void TWaveBufferDevice::Clear() {
  std::lock_guard lock(m_mutex);
  m_queue.clear();
  m_filled = 0;
  m_haveLowByte = false;
  m_accepting = false;
}

qint64 TWaveBufferDevice::readData(char* /*data*/, qint64 /*maxSize*/) {
  return -1;
}

void TWaveBufferDevice::Take(std::uint8_t sample) {
  if (m_queue.empty()) return;
  WaveHeader* header = m_queue.front();
  header->data[m_filled++] = sample;
  if (m_filled == header->length) {
    m_queue.pop_front();
    m_filled = 0;
    header->done.store(true, std::memory_order_release);
  }
}

qint64 TWaveBufferDevice::writeData(const char* data, qint64 size) {
  std::lock_guard lock(m_mutex);
  if (!m_accepting) {
    m_haveLowByte = false;
    return size;
  }
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(data);
  for (qint64 k = 0; k < size; ++k) {
    if (m_samples == Samples::UInt8) {
      Take(bytes[k]);
    } else if (!m_haveLowByte) {
      m_haveLowByte = true;
    } else {
      // Little-endian signed 16 bit: the high byte with its sign flipped is the 8-bit sample.
      Take(static_cast<std::uint8_t>(bytes[k] ^ 0x80U));
      m_haveLowByte = false;
    }
  }
  return size;
}

}  // namespace windlark
