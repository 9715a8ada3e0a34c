#include "app/ui/Form8.h"

#include <QDesktopServices>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>

namespace windlark {

namespace {

// A balloon with its sonde below: the picture at the top left.
QPixmap BalloonPicture() {
  QPixmap picture(56, 72);
  picture.fill(Qt::transparent);
  QPainter painter(&picture);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(QPen(QColor(120, 20, 20), 1.5));
  painter.setBrush(QColor(220, 50, 47));
  painter.drawEllipse(QRectF(8, 2, 40, 40));
  painter.setPen(QPen(Qt::darkGray, 1));
  painter.drawLine(QPointF(28, 42), QPointF(28, 58));
  painter.setBrush(Qt::white);
  painter.setPen(QPen(Qt::black, 1));
  painter.drawRect(QRectF(22, 58, 12, 10));
  return picture;
}

}  // namespace

TForm8::TForm8(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("TForm8"));
  setWindowTitle(QStringLiteral("Windlark - New version Available"));
  auto* picture = new QLabel(this);
  picture->setPixmap(BalloonPicture());
  picture->setAlignment(Qt::AlignTop | Qt::AlignLeft);

  auto* headline =
      new QLabel(QStringLiteral("A new version of Windlark is now available for download"), this);
  QFont big = headline->font();
  big.setBold(true);
  headline->setFont(big);
  m_current = new QLabel(this);
  m_current->setObjectName(QStringLiteral("LabelCurrent"));
  m_available = new QLabel(this);
  m_available->setObjectName(QStringLiteral("LabelAvailable"));
  m_available->setFont(big);
  auto* versions = new QGridLayout;
  versions->addWidget(new QLabel(QStringLiteral("Current    Version"), this), 0, 0);
  versions->addWidget(m_current, 0, 1);
  versions->addWidget(new QLabel(QStringLiteral("Available Version"), this), 1, 0);
  versions->addWidget(m_available, 1, 1);
  versions->setColumnStretch(2, 1);
  auto* download = new QLabel(
      QStringLiteral("It is possibile to download the updated version form website"), this);
  m_link = new QLabel(this);
  m_link->setObjectName(QStringLiteral("LabelLink"));
  m_link->setStyleSheet(QStringLiteral("color: blue"));
  m_link->setCursor(Qt::PointingHandCursor);
  m_link->installEventFilter(this);
  m_openUrl = [](const QString& url) { QDesktopServices::openUrl(QUrl(url)); };

  auto* text = new QVBoxLayout;
  text->addWidget(headline);
  text->addLayout(versions);
  text->addWidget(download);
  text->addWidget(m_link);
  auto* top = new QHBoxLayout;
  top->addWidget(picture);
  top->addLayout(text, 1);

  m_changeLog = new QPlainTextEdit(this);
  m_changeLog->setObjectName(QStringLiteral("MemoChangeLog"));
  m_changeLog->setReadOnly(true);
  m_changeLog->setFrameShape(QFrame::NoFrame);
  m_changeLog->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  m_changeLog->setBackgroundRole(QPalette::Window);
  QPalette palette = m_changeLog->palette();
  palette.setColor(QPalette::Base, palette.color(QPalette::Window));
  m_changeLog->setPalette(palette);
  m_changeLog->setFixedSize(460, 140);

  m_ok = new QPushButton(QStringLiteral("Ok"), this);
  m_ok->setObjectName(QStringLiteral("ButtonOk"));
  m_ok->setDefault(true);
  connect(m_ok, &QPushButton::clicked, this, &TForm8::ButtonOkClick);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(m_ok);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addWidget(new QLabel(QStringLiteral("ChangeLog"), this));
  layout->addWidget(m_changeLog);
  layout->addLayout(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);

  m_timer = new QTimer(this);
  m_timer->setInterval(1000);
  connect(m_timer, &QTimer::timeout, this, &TForm8::Timer1Timer);
}

void TForm8::SetWebPage(const QString& url) {
  m_url = url;
  m_link->setText(url);
}

void TForm8::Prepare(const QString& current, const QString& available, const QString& changeLog,
                     bool silent) {
  m_current->setText(current);
  m_available->setText(available);
  m_changeLog->clear();
  // The file's CR LF line ends make the lines.
  QString lines = changeLog;
  lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  m_changeLog->setPlainText(lines);
  m_ok->setText(QStringLiteral("Ok"));
  m_timer->stop();
  if (silent) {
    m_countdown = 5;
    m_timer->start();
  }
}

void TForm8::Timer1Timer() {
  if (m_countdown < 1) {
    m_timer->stop();
    accept();
    m_ok->setText(QStringLiteral("OK"));
    return;
  }
  m_ok->setText(QStringLiteral("OK [%1]").arg(m_countdown));
  --m_countdown;
}

void TForm8::ButtonOkClick() {
  accept();
  m_timer->stop();
  m_ok->setText(QStringLiteral("OK"));
}

bool TForm8::eventFilter(QObject* watched, QEvent* event) {
  if (watched == m_link) {
    if (event->type() == QEvent::Enter || event->type() == QEvent::Leave) {
      QFont font = m_link->font();
      font.setUnderline(event->type() == QEvent::Enter);
      m_link->setFont(font);
    } else if (event->type() == QEvent::MouseButtonRelease && !m_url.isEmpty()) {
      m_openUrl(m_url);
      return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}

}  // namespace windlark
