#pragma once

#include <QIODevice>
#include <cstdint>
#include <deque>
#include <mutex>

#include "signal/AudioCapture.h"

namespace windlark {

// The end of the sound driver's pipe: samples written here fill the queued buffers in order,
// each marked done when full. With no buffer queued the samples are lost, as with a sound card
// whose buffers are all held by the program. 16-bit input is brought to 8-bit unsigned.
class TWaveBufferDevice : public QIODevice {
  Q_OBJECT

 public:
  enum class Samples { UInt8, Int16 };

  explicit TWaveBufferDevice(QObject* parent = nullptr);

  void SetSamples(Samples samples);
  void AddBuffer(WaveHeader& header);
  // Samples are taken only while accepting; before that they are dropped.
  void SetAccepting(bool accepting);
  // Forgets every queued buffer (they belong to the caller again).
  void Clear();

  bool isSequential() const override { return true; }

 protected:
  qint64 readData(char* data, qint64 maxSize) override;
  qint64 writeData(const char* data, qint64 size) override;

 private:
  void Take(std::uint8_t sample);

  std::mutex m_mutex;
  std::deque<WaveHeader*> m_queue;
  std::uint32_t m_filled = 0;
  Samples m_samples = Samples::UInt8;
  bool m_accepting = false;
  bool m_haveLowByte = false;  // of a 16-bit sample, waiting for its high byte
};

}  // namespace windlark
