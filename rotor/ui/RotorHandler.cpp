#include "rotor/ui/RotorHandler.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QThread>
#include <QVBoxLayout>

#include "base/ui/QtText.h"
#include "base/ui/SansFont.h"
#include "rotor/RotorTexts.h"
#include "rotor/RotorTracking.h"
#include "rotor/io/AntennaRotor.h"

namespace windlark {

namespace {

QPushButton* Button(QWidget* parent, const char* name, const char* text) {
  auto* button = new QPushButton(QString::fromUtf8(text), parent);
  button->setObjectName(QString::fromUtf8(name));
  return button;
}

QLabel* Panel(QWidget* parent, const char* name, std::string_view text, int width) {
  auto* label = new QLabel(ToQString(text), parent);
  label->setObjectName(QString::fromUtf8(name));
  label->setFrameShape(QFrame::StyledPanel);
  label->setFrameShadow(QFrame::Sunken);
  label->setMinimumWidth(width);
  return label;
}

QLabel* PositionLabel(QWidget* parent, const char* name) {
  auto* label = new QLabel(QStringLiteral("---\u00B0"), parent);
  label->setObjectName(QString::fromUtf8(name));
  label->setFont(SansFont(16, true));
  label->setStyleSheet(QStringLiteral("color: navy"));
  return label;
}

}  // namespace

TRotorHandler::TRotorHandler(QWidget* parent) : QWidget(parent, Qt::Tool) {
  setObjectName(QStringLiteral("TRotorHandler"));
  setWindowTitle(QStringLiteral("Antenna Rotor"));
  setWindowFlags(Qt::Tool | Qt::WindowStaysOnTopHint | Qt::WindowTitleHint |
                 Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint);

  auto* position = new QGroupBox(QStringLiteral("Current Position "), this);
  auto* positionGrid = new QGridLayout(position);
  m_azimuth = PositionLabel(position, "LabelAzimuth");
  m_elevation = PositionLabel(position, "LabelElevation");
  positionGrid->addWidget(new QLabel(QStringLiteral("Azimuth"), position), 0, 0);
  positionGrid->addWidget(m_azimuth, 0, 1);
  positionGrid->addWidget(new QLabel(QStringLiteral("Elevation"), position), 1, 0);
  positionGrid->addWidget(m_elevation, 1, 1);

  m_startTracking = Button(this, "ButtonStartTracking", "Start Tracking");
  m_stop = Button(this, "ButtonStop", "Stop");

  auto* presets = new QGroupBox(QStringLiteral("Presets positions "), this);
  auto* presetRow = new QHBoxLayout(presets);
  m_presets = new QComboBox(presets);
  m_presets->setObjectName(QStringLiteral("ComboPresets"));
  m_presets->setMinimumWidth(140);
  m_moveTo = Button(presets, "ButtonMoveTo", "Move To");
  presetRow->addWidget(m_presets, 1);
  presetRow->addWidget(m_moveTo);

  m_connect = Button(this, "ButtonConnect", "Connect");
  m_disconnect = Button(this, "ButtonDisconnect", "Disconnect");

  auto* instant = new QGroupBox(QStringLiteral("Instant Set "), this);
  auto* instantRow = new QHBoxLayout(instant);
  m_azField = new QLineEdit(instant);
  m_azField->setObjectName(QStringLiteral("EditAz"));
  m_azField->setMaxLength(3);
  m_elField = new QLineEdit(instant);
  m_elField->setObjectName(QStringLiteral("EditEl"));
  for (QLineEdit* field : {m_azField, m_elField}) {
    field->setFixedWidth(field->fontMetrics().horizontalAdvance(QStringLiteral("00000")) + 12);
    field->setContextMenuPolicy(Qt::NoContextMenu);  // no pasting round the typing rule
    field->installEventFilter(this);
  }
  m_go = Button(instant, "ButtonGo", "Go");
  instantRow->addWidget(new QLabel(QStringLiteral("AZ"), instant));
  instantRow->addWidget(m_azField);
  instantRow->addWidget(new QLabel(QStringLiteral("EL"), instant));
  instantRow->addWidget(m_elField);
  instantRow->addWidget(m_go);
  instantRow->addStretch(1);

  m_linkPanel = Panel(this, "StatusLink", kNotConnectedText, 187);
  m_rotorPanel = Panel(this, "StatusRotor", kRotorNaText, 50);
  auto* statusBar = new QHBoxLayout;
  statusBar->setSpacing(2);
  // Room for the longest link texts (a device path, a rotctld address).
  statusBar->addWidget(m_linkPanel, 3);
  statusBar->addWidget(m_rotorPanel, 2);
  setMinimumWidth(440);

  auto* trackButtons = new QVBoxLayout;
  trackButtons->addWidget(m_startTracking);
  trackButtons->addWidget(m_stop);
  trackButtons->addStretch(1);
  auto* top = new QHBoxLayout;
  top->addWidget(position, 1);
  top->addLayout(trackButtons);
  auto* linkButtons = new QHBoxLayout;
  linkButtons->addWidget(m_connect);
  linkButtons->addWidget(m_disconnect);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addWidget(presets);
  layout->addWidget(instant);
  layout->addLayout(linkButtons);
  layout->addLayout(statusBar);

  connect(m_connect, &QPushButton::clicked, this, &TRotorHandler::ConnectClick);
  connect(m_disconnect, &QPushButton::clicked, this, &TRotorHandler::DisconnectClick);
  connect(m_startTracking, &QPushButton::clicked, this, &TRotorHandler::StartTrackingClick);
  connect(m_stop, &QPushButton::clicked, this, &TRotorHandler::StopClick);
  connect(m_moveTo, &QPushButton::clicked, this, &TRotorHandler::MoveToClick);
  connect(m_go, &QPushButton::clicked, this, &TRotorHandler::GoClick);

  m_disconnect->setEnabled(false);
  m_startTracking->setEnabled(false);
  m_stop->setEnabled(false);
  m_presets->setEnabled(false);
  SetManualControls(false);
}

TRotorHandler::~TRotorHandler() {
  Shutdown();
}

void TRotorHandler::ShowError(std::string_view text) {
  if (m_errorPrompt) {
    m_errorPrompt(ToQString(text));
    return;
  }
  QString shown = ToQString(text);
  shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  QMessageBox::critical(this, windowTitle(), shown);
}

void TRotorHandler::ConnectClick() {
  const int protocol = m_settings.protocol;
  setWindowTitle(QStringLiteral("Antenna Rotor (") + ToQString(RotorProtocolName(protocol)) +
                 QLatin1Char(')'));
  if (RotorProtocolIsSerial(protocol) && m_settings.portName.empty()) {
    ShowError(kNoRotorPortText);
    return;
  }
  m_connect->setEnabled(false);
  StartLink(protocol);
  if (protocol == static_cast<int>(RotorProtocol::Registry)) {
    // The files need no opening: the window is usable at once, "Stop" has nothing to stop.
    m_linkPanel->setText(ToQString(kRegistryOpenedText));
    LinkOpened(true);
  }
}

void TRotorHandler::StartLink(int protocol) {
  RotorLinkConfig config;
  config.protocol = protocol;
  config.portName = ToQString(m_settings.portName);
  config.baudRate = RotorBaudRate(m_settings.speedIndex);
  config.queryPeriodS = m_settings.queryPeriodS;
  config.storeDir = m_storeDir;
  config.rotctldHost = ToQString(m_settings.rotctldHost);
  config.rotctldPort = m_settings.rotctldPort;
  m_linkProtocol = protocol;

  auto* thread = new QThread;
  thread->setObjectName(QStringLiteral("TAntennaRotor"));
  auto* link = new TAntennaRotor(config);
  link->moveToThread(thread);
  connect(thread, &QThread::started, link, &TAntennaRotor::Execute);
  // Direct: a window waiting for the thread does not run the queued call.
  connect(link, &TAntennaRotor::Finished, thread, &QThread::quit, Qt::DirectConnection);
  // Deleted here, after every report it queued has been handled.
  connect(thread, &QThread::finished, this, [this, thread, link] {
    if (m_link == link) m_link = nullptr;
    std::erase(m_threads, std::pair(thread, link));
    delete link;
    thread->deleteLater();
  });
  connect(link, &TAntennaRotor::LinkStatus, this,
          [this](const QString& text) { m_linkPanel->setText(text); });
  connect(link, &TAntennaRotor::RotorStatus, this,
          [this](const QString& text) { m_rotorPanel->setText(text); });
  connect(link, &TAntennaRotor::Position, this,
          [this](const QString& azimuth, const QString& elevation) {
            m_azimuth->setText(azimuth);
            m_elevation->setText(elevation);
          });
  if (protocol != static_cast<int>(RotorProtocol::Registry)) {
    connect(link, &TAntennaRotor::Opened, this, &TRotorHandler::LinkOpened);
  }
  connect(link, &TAntennaRotor::Lost, this, &TRotorHandler::LinkLost);
  connect(link, &TAntennaRotor::Finished, this, [this, link] {
    if (m_link == link) m_link = nullptr;
    emit LinkEnded();
  });
  m_link = link;
  m_threads.emplace_back(thread, link);
  thread->start();
}

void TRotorHandler::LinkOpened(bool ok) {
  if (!ok) {
    m_connect->setEnabled(true);
    m_disconnect->setEnabled(false);
    m_startTracking->setEnabled(false);
    m_stop->setEnabled(false);
    m_moveTo->setEnabled(false);
    m_presets->setEnabled(false);
    return;
  }
  m_disconnect->setEnabled(true);
  m_startTracking->setEnabled(true);
  m_stop->setEnabled(m_linkProtocol != static_cast<int>(RotorProtocol::Registry));
  FillPresets();
  // A window that kept tracking over a reconnection keeps its manual controls locked.
  SetManualControls(!m_tracking);
  m_presets->setEnabled(!m_tracking);
}

void TRotorHandler::LinkLost() {
  // As "Disconnect", but the link's own text stays in the first panel.
  const QString text = m_linkPanel->text();
  DisconnectClick();
  m_linkPanel->setText(text);
}

void TRotorHandler::FillPresets() {
  std::vector<std::string> names{std::string()};
  for (const RotorPreset& preset : m_settings.presets) names.push_back(preset.name);
  m_presets->clear();
  for (const std::string& name : PresetChoices(names)) m_presets->addItem(ToQString(name));
  m_presets->setCurrentIndex(-1);
}

void TRotorHandler::SetManualControls(bool enabled) {
  m_moveTo->setEnabled(enabled);
  m_go->setEnabled(enabled);
  m_azField->setEnabled(enabled);
  m_elField->setEnabled(enabled);
}

void TRotorHandler::DropLink() {
  if (m_link == nullptr) return;
  TAntennaRotor* link = m_link;
  m_link = nullptr;
  // Late reports of an ended link must not overwrite the window's state.
  link->disconnect(this);
  connect(link, &TAntennaRotor::Finished, this, &TRotorHandler::LinkEnded);
  link->Terminate();
}

void TRotorHandler::DisconnectClick() {
  DropLink();
  m_disconnect->setEnabled(false);
  m_connect->setEnabled(true);
  m_moveTo->setEnabled(false);
  m_stop->setEnabled(false);
  m_startTracking->setEnabled(false);
  m_go->setEnabled(false);
  m_azField->setEnabled(false);
  m_elField->setEnabled(false);
  m_azField->clear();
  m_elField->clear();
  m_linkPanel->setText(ToQString(kStatusNotConnectedText));
  m_rotorPanel->setText(ToQString(kRotorNaText));
  m_presets->clear();
  m_presets->setEnabled(false);
}

void TRotorHandler::StartTrackingClick() {
  if (!m_tracking) {
    m_sensitivity = m_settings.sensitivityDeg;
    m_tracking = true;
    m_startTracking->setText(QStringLiteral("Stop Tracking"));
    m_moveTo->setEnabled(false);
    m_go->setEnabled(false);
    m_azField->clear();
    m_elField->clear();
    m_azField->setEnabled(false);
    m_elField->setEnabled(false);
    m_presets->setEnabled(false);
    m_presets->setCurrentIndex(-1);
    return;
  }
  m_tracking = false;
  m_startTracking->setText(QStringLiteral("Start Tracking"));
  SetManualControls(true);
  m_presets->setEnabled(true);
}

void TRotorHandler::StopClick() {
  if (m_link != nullptr) m_link->StopRotor();
  if (m_tracking) StartTrackingClick();
}

void TRotorHandler::MoveToClick() {
  const int entry = m_presets->currentIndex();
  if (entry < 0) return;
  const std::optional<RotorPreset> preset =
      PresetForEntry(m_settings.presets, entry, m_presets->currentText().toStdString());
  if (!preset) {
    ShowError(kPresetListErrorText);
    return;
  }
  RequestMove(preset->azimuthDeg, preset->elevationDeg);
}

void TRotorHandler::GoClick() {
  RequestMove(InstantSetValue(m_azField->text().toStdString()),
              InstantSetValue(m_elField->text().toStdString()));
}

void TRotorHandler::RequestMove(int azimuth, int elevation) {
  m_lastAzimuth = azimuth;
  m_lastElevation = elevation;
  if (m_link != nullptr) m_link->MoveTo(azimuth, elevation);
}

void TRotorHandler::TrackTo(int azimuth, int elevation) {
  if (!m_tracking) return;
  if (!TrackingNeedsMove(m_lastAzimuth, m_lastElevation, azimuth, elevation, m_sensitivity)) {
    return;
  }
  RequestMove(azimuth, elevation);
}

bool TRotorHandler::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::KeyPress || (watched != m_azField && watched != m_elField)) {
    return QWidget::eventFilter(watched, event);
  }
  auto* key = static_cast<QKeyEvent*>(event);
  if (key->key() == Qt::Key_Backspace) return false;
  const QString text = key->text();
  // Keys that type nothing (arrows, Tab) move about the field as usual.
  if (text.isEmpty()) return false;
  const char typed = text.size() == 1 ? text.at(0).toLatin1() : '\0';
  const auto* field = static_cast<QLineEdit*>(watched);
  return !InstantSetAccepts(field->text().toStdString(), typed, field == m_azField);
}

void TRotorHandler::Shutdown() {
  DropLink();
  // Each link ends by itself once told to: its port is closed on its own thread.
  for (const auto& [thread, link] : m_threads) {
    thread->disconnect(this);
    thread->wait();
    delete link;
    delete thread;
  }
  m_threads.clear();
}

}  // namespace windlark
