#include "signal/io/QtAudioSource.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSource>
#include <QMediaDevices>
#include <QMetaObject>

namespace windlark {

namespace {

enum OpenResult { kOpened = 0, kNoDevice = 1, kNoFormat = 2, kOpenFailed = 3 };

QAudioFormat CaptureFormat(QAudioFormat::SampleFormat sampleFormat) {
  QAudioFormat format;
  format.setSampleRate(48000);
  format.setChannelCount(1);
  format.setSampleFormat(sampleFormat);
  return format;
}

}  // namespace

QtAudioSource::QtAudioSource() = default;

QtAudioSource::~QtAudioSource() {
  Close();
}

std::vector<std::string> QtAudioSource::InputDeviceNames() {
  std::vector<std::string> names;
  for (const QAudioDevice& device : QMediaDevices::audioInputs()) {
    names.push_back(device.description().toStdString());
  }
  for (const PulseMonitor& monitor : PulseMonitorSources()) names.push_back(monitor.description);
  return names;
}

std::string QtAudioSource::DefaultInputName() {
  return QMediaDevices::defaultAudioInput().description().toStdString();
}

int QtAudioSource::Open(int deviceIndex) {
  Close();
  m_error.clear();
  const QList<QAudioDevice> devices = QMediaDevices::audioInputs();
  if (deviceIndex >= devices.size()) {
    const std::vector<PulseMonitor> monitors = PulseMonitorSources();
    const auto monitor = static_cast<std::size_t>(deviceIndex - devices.size());
    if (monitor < monitors.size()) return OpenMonitor(monitors[monitor]);
  }
  const QAudioDevice device = deviceIndex >= 0 && deviceIndex < devices.size()
                                  ? devices.at(deviceIndex)
                                  : QMediaDevices::defaultAudioInput();
  if (device.isNull()) {
    m_error = "No sound input device found";
    return kNoDevice;
  }
  QAudioFormat format = CaptureFormat(QAudioFormat::UInt8);
  TWaveBufferDevice::Samples samples = TWaveBufferDevice::Samples::UInt8;
  if (!device.isFormatSupported(format)) {
    format = CaptureFormat(QAudioFormat::Int16);
    samples = TWaveBufferDevice::Samples::Int16;
    if (!device.isFormatSupported(format)) {
      m_error = device.description().toStdString() + " offers no 48 000 Hz mono format";
      return kNoFormat;
    }
  }
  m_sink.SetSamples(samples);
  m_sink.SetAccepting(false);
  m_sink.open(QIODevice::WriteOnly);
  m_input = std::make_unique<QAudioSource>(device, format);
  // The device is opened here, so that a refusal shows now; samples are kept only after Start.
  m_input->start(&m_sink);
  if (m_input->error() != QAudio::NoError || m_input->state() == QAudio::StoppedState) {
    m_error = device.description().toStdString() + " cannot be opened";
    m_input.reset();
    m_sink.close();
    return kOpenFailed;
  }
  return kOpened;
}

int QtAudioSource::OpenMonitor(const PulseMonitor& monitor) {
  m_sink.SetSamples(TWaveBufferDevice::Samples::UInt8);
  m_sink.SetAccepting(false);
  m_sink.open(QIODevice::WriteOnly);
  m_monitor = std::make_unique<PulseMonitorReader>();
  std::string error;
  // The samples reach the sink on its own thread, like Qt's sound input.
  const bool started = m_monitor->Start(
      monitor.name,
      [this](std::string samples) {
        QMetaObject::invokeMethod(
            &m_sink,
            [this, samples = std::move(samples)] {
              if (m_sink.isOpen())
                m_sink.write(samples.data(), static_cast<qint64>(samples.size()));
            },
            Qt::QueuedConnection);
      },
      error);
  if (!started) {
    m_error = monitor.description + " cannot be opened: " + error;
    m_monitor.reset();
    m_sink.close();
    return kOpenFailed;
  }
  return kOpened;
}

void QtAudioSource::AddBuffer(WaveHeader& header) {
  m_sink.AddBuffer(header);
}

void QtAudioSource::Start() {
  if (m_input || m_monitor) m_sink.SetAccepting(true);
}

void QtAudioSource::Reset() {
  if (m_input) m_input->stop();
  if (m_monitor) m_monitor->Stop();
  m_sink.Clear();
}

void QtAudioSource::Close() {
  Reset();
  m_input.reset();
  m_monitor.reset();
  if (m_sink.isOpen()) m_sink.close();
}

}  // namespace windlark
