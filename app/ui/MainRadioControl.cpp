// The main window's station links: the SDR# remote control's scan worker with the radio group,
// and the antenna rotor window fed by the decoder's look angles.
#include <QButtonGroup>
#include <QLabel>
#include <QThread>
#include <QTimer>
#include <QToolButton>

#include "app/ui/Glyphs.h"
#include "app/ui/LampShape.h"
#include "app/ui/MainForm.h"
#include "base/io/SyncCall.h"
#include "base/ui/QtText.h"
#include "radio/RadioScan.h"
#include "radio/io/RadioController.h"
#include "rotor/ui/RotorHandler.h"

namespace windlark {

namespace {

const QColor kLampLit(0, 255, 255);
const QColor kLampIdle(0, 0, 128);

}  // namespace

void TmainForm::CreateRadioControl() {
  m_scanSettings = std::make_shared<ScanSettingsBox>();
  // A minute without a good block, counted whatever the scan is doing.
  m_restartScanTimer = new QTimer(this);
  m_restartScanTimer->setInterval(60000);
  connect(m_restartScanTimer, &QTimer::timeout, this, &TmainForm::RestartScanTimerTimer);
  m_restartScanTimer->start();
  m_rotorHandler = new TRotorHandler(this);
  m_rotorHandler->SetStoreDir(m_options.rotorStateDir);
  if (m_options.prompts) {
    m_rotorHandler->SetErrorPrompt(
        [this](const QString& text) { m_prompts.message(Prompts::Icon::Error, text); });
  }
}

void TmainForm::ApplyRadioSettings(const AppliedSettings& settings) {
  ScanSettings scan;
  scan.frequenciesHz = settings.radio.frequenciesHz;
  scan.restartScan = settings.radio.restartScan;
  scan.rescanDelayMin = settings.rescanDelayMin;
  m_scanSettings->Set(std::move(scan));
  m_rotorHandler->SetSettings(settings.rotor);
}

void TmainForm::RestartScanTimerTimer() {
  ++m_chain->State().noDataCounter;
}

void TmainForm::ShowRadioStatus(const QString& text, bool red, bool bold) {
  QLabel* label = m_w.readOuts[static_cast<std::size_t>(ReadOut::RadioStatus)];
  label->setText(text);
  QFont font = label->font();
  font.setBold(bold);
  label->setFont(font);
  label->setStyleSheet(red ? QStringLiteral("color: rgb(255, 0, 0);")
                           : QStringLiteral("color: rgb(0, 0, 128);"));
}

void TmainForm::SetRadioStartGlyph(bool pause) {
  m_w.startRadio->setIcon(GlyphIcon(pause ? Glyph::Pause : Glyph::RadioOn));
  m_w.startRadio->setProperty("image", pause ? QStringLiteral("PAUSE") : QStringLiteral("PLAY"));
}

void TmainForm::SBStartRadioClick() {
  m_w.startRadio->setChecked(true);
  if (m_radioStartPressed) return;
  m_radioStartPressed = true;
  m_radioStopPressed = false;
  if (m_scanSettings->Get().frequenciesHz.empty()) {
    m_prompts.message(Prompts::Icon::Error, ToQString(kFrequencyListEmptyText));
    m_radioStartPressed = false;
    m_radioStopPressed = true;
    m_w.stopRadio->setChecked(true);
    return;
  }
  StartRadioWorker();
}

void TmainForm::StartRadioWorker() {
  // A worker still ending (stopped a moment ago) finishes on its own thread.
  StopRadioWorker(false);
  RadioLinkConfig config;
  config.kind = m_settings.radio.link;
  if (config.kind == RadioLinkKind::Rigctl) {
    config.host = ToQString(m_settings.radio.rigctlHost);
    config.port = m_settings.radio.rigctlPort;
  } else {
    config.port = m_settings.radio.netRemotePort;
  }
  m_sondeIdCall = std::make_shared<SyncCall>(this);
  ScanInputs inputs;
  inputs.lockCount = &m_chain->State().lockCount;
  inputs.noDataCounter = &m_chain->State().noDataCounter;
  // The identity is a string of the window's thread: asked there, the answer handed back.
  std::shared_ptr<SyncCall> call = m_sondeIdCall;
  inputs.sondeIdKnown = [this, call] {
    auto known = std::make_shared<bool>(false);
    call->Run([this, known] { *known = !m_chain->State().sondeId.empty(); });
    return *known;
  };
  std::shared_ptr<ScanSettingsBox> box = m_scanSettings;
  inputs.settings = [box] { return box->Get(); };

  auto* thread = new QThread;
  thread->setObjectName(QStringLiteral("TRadioController"));
  auto* worker = new TRadioController(config, std::move(inputs));
  worker->moveToThread(thread);
  connect(thread, &QThread::started, worker, &TRadioController::Execute);
  // Direct: a window waiting for the thread does not run the queued call.
  connect(worker, &TRadioController::Finished, thread, &QThread::quit, Qt::DirectConnection);
  // Deleted here, after every report it queued has been handled.
  connect(thread, &QThread::finished, this, [this, thread, worker] {
    if (m_radio == worker) m_radio = nullptr;
    std::erase(m_radioThreads, std::pair(thread, worker));
    delete worker;
    thread->deleteLater();
  });
  connect(
      worker, &TRadioController::StatusChanged, this,
      [this](int, const QString& text, bool red, bool bold) { ShowRadioStatus(text, red, bold); });
  connect(worker, &TRadioController::FrequencyChanged, this,
          [this](const QString& text) { m_w.radioFrequency->setText(text); });
  connect(worker, &TRadioController::LampChanged, this,
          [this](bool lit) { m_w.radioLamp->SetColour(lit ? kLampLit : kLampIdle); });
  connect(worker, &TRadioController::StartGlyphChanged, this, &TmainForm::SetRadioStartGlyph);
  connect(worker, &TRadioController::CountdownChanged, this, [this](const QString& text) {
    m_w.rescanCountdown->setText(text);
    m_w.rescanCountdown->setVisible(!text.isEmpty());
  });
  connect(worker, &TRadioController::ScanEnded, this, [this] {
    m_w.stopRadio->setChecked(true);
    m_radioStartPressed = false;
    m_radioStopPressed = true;
  });
  connect(worker, &TRadioController::Finished, this, [this, worker] {
    if (m_radio != worker) return;
    m_radio = nullptr;
    emit RadioStopped();
  });
  m_radio = worker;
  m_radioThreads.emplace_back(thread, worker);
  thread->start();
}

void TmainForm::StopRadioWorker(bool wait) {
  if (m_radio != nullptr) {
    TRadioController* worker = m_radio;
    m_radio = nullptr;
    // What the worker still reports belongs to a scan that is over.
    worker->disconnect(this);
    if (m_sondeIdCall) m_sondeIdCall->Cancel();
    worker->Terminate();
    emit RadioStopped();
  }
  if (!wait) return;
  // The window is closing: every worker reads the receive chain's counters until it ends.
  for (const auto& [thread, worker] : m_radioThreads) {
    thread->disconnect(this);
    thread->wait();
    delete worker;
    delete thread;
  }
  m_radioThreads.clear();
}

void TmainForm::SBStopRadioClick() {
  m_w.stopRadio->setChecked(true);
  if (m_radioStopPressed) return;
  m_radioStopPressed = true;
  m_radioStartPressed = false;
  ShowRadioStatus(ToQString(kNotActiveText), false, false);
  StopRadioWorker(false);
  SetRadioStartGlyph(false);
  m_w.radioLamp->SetColour(kLampIdle);
  m_w.rescanCountdown->hide();
}

void TmainForm::SBRotorClick() {
  m_rotorHandler->adjustSize();
  m_rotorHandler->show();
  m_rotorHandler->raise();
}

void TmainForm::TrackTo(int azimuth, int elevation) {
  if (m_rotorHandler != nullptr) m_rotorHandler->TrackTo(azimuth, elevation);
}

}  // namespace windlark
