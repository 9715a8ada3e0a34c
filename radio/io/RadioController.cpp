#include "radio/io/RadioController.h"

#include <QThread>
#include <QTimer>

#include "radio/io/TcpLineTransport.h"

namespace windlark {

namespace {
QString Q(const std::string& text) {
  return QString::fromStdString(text);
}
}  // namespace

TRadioController::TRadioController(RadioLinkConfig config, ScanInputs inputs, QObject* parent)
    : QObject(parent), m_config(std::move(config)), m_inputs(std::move(inputs)) {
  if (m_config.kind == RadioLinkKind::Rigctl) {
    m_protocol = std::make_unique<RigctlProtocol>();
  } else {
    m_protocol = std::make_unique<NetRemoteProtocol>();
  }
}

TRadioController::~TRadioController() = default;

void TRadioController::Execute() {
  if (m_done) return;
  m_link = std::make_unique<TcpLineTransport>(m_config.host, m_config.port);
  ScanView& view = *this;
  m_scan = std::make_unique<RadioScan>(*m_protocol, *m_link, m_inputs, view);
  m_timer = new QTimer(this);
  m_timer->setSingleShot(true);
  connect(m_timer, &QTimer::timeout, this, &TRadioController::RunTick);
  m_scan->Begin();
  RunTick();
}

void TRadioController::Terminate() {
  m_terminate = true;
  QMetaObject::invokeMethod(this, &TRadioController::Finish, Qt::QueuedConnection);
}

void TRadioController::RunTick() {
  if (m_done) return;
  if (!m_terminate) m_scan->Tick();
  if (m_terminate || m_scan->Finished()) {
    Finish();
    return;
  }
  m_timer->start(m_scan->PeriodMs());
}

void TRadioController::Finish() {
  // Also reached by a Terminate that arrives before Execute ran or after the end.
  if (m_done) return;
  m_done = true;
  if (m_timer != nullptr) m_timer->stop();
  if (m_scan) m_scan->End();
  emit Finished();
}

void TRadioController::ShowStatus(int code, const RadioStatusLook& look) {
  emit StatusChanged(code, Q(look.text), look.red, look.bold);
}

void TRadioController::ShowFrequency(const std::string& text) {
  emit FrequencyChanged(Q(text));
}

void TRadioController::SetLamp(bool lit) {
  emit LampChanged(lit);
}

void TRadioController::SetStartGlyph(StartGlyph glyph) {
  emit StartGlyphChanged(glyph == StartGlyph::Pause);
}

void TRadioController::ShowCountdown(const std::string& text) {
  emit CountdownChanged(Q(text));
}

void TRadioController::EndScan() {
  emit ScanEnded();
}

}  // namespace windlark
