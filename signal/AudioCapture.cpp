#include "signal/AudioCapture.h"

namespace windlark {

AudioCapture::~AudioCapture() {
  Close();
}

int AudioCapture::Open(int deviceIndex) {
  const int result = m_source.Open(deviceIndex);
  if (result == 0) {
    m_open = true;
    for (std::size_t k = 0; k < m_headers.size(); ++k) {
      m_headers[k].data = m_buffers[k].data();
      m_headers[k].length = kSamplesPerBuffer;
      m_headers[k].done = false;
      m_source.AddBuffer(m_headers[k]);
    }
  }
  m_slicer.ResetDemodulator();
  m_current = 0;
  return result;
}

void AudioCapture::Start() {
  if (m_open) m_source.Start();
}

bool AudioCapture::Poll() {
  if (!m_open) return false;
  WaveHeader& header = m_headers[static_cast<std::size_t>(m_current)];
  if (!header.done.load(std::memory_order_acquire)) return false;
  const std::span<const std::uint8_t> buffer(header.data, header.length);
  m_slicer.SliceBuffer(buffer);
  if (m_monitor != nullptr && m_monitor->IsVisible()) {
    m_monitor->ShowBuffer(buffer);
    m_monitor->ShowPhase(m_slicer.PhaseShown());
  }
  header.done = false;
  m_source.AddBuffer(header);
  m_current = 1 - m_current;
  return true;
}

void AudioCapture::Close() {
  if (!m_open) return;
  m_source.Reset();
  m_source.Close();
  m_open = false;
}

}  // namespace windlark
