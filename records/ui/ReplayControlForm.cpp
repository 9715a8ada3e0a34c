#include "records/ui/ReplayControlForm.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>

namespace windlark {

namespace {

constexpr const char* kSpeedLabels[TReplayControlForm::kPositions] = {"Stop", "0.5x", "1x",
                                                                      "4x",   "8x",   "Max"};
constexpr int kNormalSpeed = 2;

}  // namespace

TReplayControlForm::TReplayControlForm(QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint |
                          Qt::WindowTitleHint | Qt::WindowCloseButtonHint) {
  setObjectName(QStringLiteral("TReplayControlForm"));
  setWindowTitle(QStringLiteral("Raw Player Control - Processing speed"));
  auto* grid = new QGridLayout(this);
  grid->setContentsMargins(10, 8, 10, 8);
  grid->setHorizontalSpacing(0);
  for (int k = 0; k < kPositions; ++k) {
    auto* label = new QLabel(QString::fromUtf8(kSpeedLabels[k]), this);
    label->setAlignment(Qt::AlignHCenter | Qt::AlignBottom);
    label->setCursor(Qt::PointingHandCursor);
    label->installEventFilter(this);
    m_labels[static_cast<std::size_t>(k)] = label;
    // Two grid columns per label, so each sits above its tick mark.
    grid->addWidget(label, 0, 2 * k, 1, 2);
  }
  m_trackBar = new QSlider(Qt::Horizontal, this);
  m_trackBar->setObjectName(QStringLiteral("TrackBar1"));
  m_trackBar->setRange(0, kPositions - 1);
  m_trackBar->setPageStep(1);
  m_trackBar->setTickPosition(QSlider::TicksBelow);
  m_trackBar->setTickInterval(1);
  m_trackBar->setValue(kNormalSpeed);
  grid->addWidget(m_trackBar, 1, 1, 1, 2 * kPositions - 2);
  m_terminate = new QPushButton(QStringLiteral("Terminate"), this);
  m_terminate->setObjectName(QStringLiteral("Terminate"));
  grid->addWidget(m_terminate, 2, 2 * kPositions - 4, 1, 4);
  connect(m_trackBar, &QSlider::valueChanged, this, [this](int value) { emit Command(value); });
  connect(m_terminate, &QPushButton::clicked, this, [this] { emit Command(kTerminate); });
  setFixedSize(360, sizeHint().height());
}

void TReplayControlForm::SetPosition(int position) {
  const QSignalBlocker blocker(m_trackBar);
  m_trackBar->setValue(position);
}

int TReplayControlForm::Position() const {
  return m_trackBar->value();
}

QLabel* TReplayControlForm::SpeedLabel(int position) const {
  return position >= 0 && position < kPositions ? m_labels[static_cast<std::size_t>(position)]
                                                : nullptr;
}

bool TReplayControlForm::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MouseButtonPress) {
    for (int k = 0; k < kPositions; ++k) {
      if (watched == m_labels[static_cast<std::size_t>(k)]) {
        m_trackBar->setValue(k);
        return true;
      }
    }
  }
  return QWidget::eventFilter(watched, event);
}

void TReplayControlForm::closeEvent(QCloseEvent* event) {
  emit Command(kTerminate);
  event->ignore();
}

}  // namespace windlark
