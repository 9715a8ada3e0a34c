#include "app/ui/AudioControl.h"

#include <QAbstractButton>

#include "app/MainWindowTexts.h"

namespace windlark {

TAudioControl::TAudioControl(ReceiveChain& chain, std::unique_ptr<AudioSource> source,
                             QAbstractButton& startButton, QAbstractButton& stopButton,
                             QObject* parent)
    : QObject(parent),
      m_chain(chain),
      m_source(std::move(source)),
      m_capture(*m_source, chain.Slicer()),
      m_startButton(startButton),
      m_stopButton(stopButton) {
  m_timer.setInterval(kTickMs);
  connect(&m_timer, &QTimer::timeout, this, &TAudioControl::Timer1Timer);
}

TAudioControl::~TAudioControl() {
  m_timer.stop();
  m_capture.Close();
}

void TAudioControl::SetDevice(int deviceIndex, std::string name) {
  m_deviceIndex = deviceIndex;
  m_deviceName = std::move(name);
}

void TAudioControl::StartAudioDecoding() {
  m_startButton.setChecked(true);
  if (m_startLatch) return;
  m_startLatch = true;
  m_stopLatch = false;
  if (m_capture.Open(m_deviceIndex) == 0) {
    m_capture.Start();
    m_timer.start();
    m_chain.Lamps().SetLamp(Lamp::Input, kAqua);
    ShowInputSource(m_chain.Context(), InputSourceText(m_deviceName));
    return;
  }
  m_startLatch = false;
  m_stopLatch = true;
  m_stopButton.setChecked(true);
  if (m_onRefused) m_onRefused(m_source->ErrorText());
}

void TAudioControl::StopAudioDecoding() {
  m_stopButton.setChecked(true);
  if (m_stopLatch) return;
  m_stopLatch = true;
  m_startLatch = false;
  m_timer.stop();
  m_capture.Close();
  m_chain.Lamps().SetLamp(Lamp::Input, kNavy);
  ShowInputSource(m_chain.Context(), InputSourceText("None"));
}

void TAudioControl::Timer1Timer() {
  m_chain.Tick(m_capture);
}

}  // namespace windlark
