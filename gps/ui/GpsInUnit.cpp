#include "gps/ui/GpsInUnit.h"

#include <QGridLayout>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

#include "base/ui/QtText.h"

namespace windlark {

namespace {

constexpr int kLampSize = 12;

// A round lamp; its colour is the palette's window colour.
class RoundLamp : public QWidget {
 public:
  explicit RoundLamp(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("GpsLamp"));
    setFixedSize(kLampSize, kLampSize);
    SetColour(QColor(0, 0, 128));
  }
  void SetColour(const QColor& colour) {
    m_colour = colour;
    update();
  }
  QColor Colour() const { return m_colour; }

 protected:
  void paintEvent(QPaintEvent* /*event*/) override {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(m_colour);
    painter.drawEllipse(rect().adjusted(1, 1, -1, -1));
  }

 private:
  QColor m_colour;
};

}  // namespace

TGpsInForm::TGpsInForm(QWidget* parent) : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint) {
  setObjectName(QStringLiteral("TGpsInForm"));
  setWindowTitle(QStringLiteral("GPS IN"));
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(8, 4, 8, 6);
  layout->setSpacing(2);
  auto* lampRow = new QHBoxLayout;
  lampRow->addStretch();
  m_lamp = new RoundLamp(this);
  lampRow->addWidget(m_lamp);
  layout->addLayout(lampRow);

  auto* grid = new QGridLayout;
  grid->setHorizontalSpacing(10);
  grid->setVerticalSpacing(3);
  constexpr std::array<const char*, 6> kCaptions = {"GPS Time", "Latitude", "Longitude",
                                                    "Altitude", "Fix",      "Sats used"};
  constexpr std::array<const char*, 6> kNames = {"LabelTime",     "LabelLatitude", "LabelLongitude",
                                                 "LabelAltitude", "LabelFix",      "LabelSats"};
  QFont bold = font();
  bold.setBold(true);
  for (std::size_t k = 0; k < kCaptions.size(); ++k) {
    auto* caption = new QLabel(QString::fromUtf8(kCaptions[k]), this);
    auto* value = new QLabel(this);
    value->setObjectName(QString::fromUtf8(kNames[k]));
    value->setFont(bold);
    value->setMinimumWidth(value->fontMetrics().horizontalAdvance(QStringLiteral("000.000000W")));
    grid->addWidget(caption, static_cast<int>(k), 0);
    grid->addWidget(value, static_cast<int>(k), 1);
    m_values[k] = value;
  }
  Label(Value::Time)->setText(QStringLiteral("--:--:--"));
  layout->addLayout(grid);
  m_status = new QLabel(this);
  m_status->setObjectName(QStringLiteral("LabelStatus"));
  m_status->setWordWrap(true);
  m_status->setStyleSheet(QStringLiteral("color: #a00000"));
  m_status->hide();
  layout->addWidget(m_status);
  layout->setSizeConstraint(QLayout::SetFixedSize);
}

void TGpsInForm::Reset(const QString& sourceName) {
  for (QLabel* label : m_values) label->clear();
  SetLamp(kNavy);
  SetStatus({});
  setWindowTitle(QStringLiteral("GPS in (%1)").arg(sourceName));
}

void TGpsInForm::ShowTexts(const GpsInTexts& texts) {
  Label(Value::Time)->setText(ToQString(texts.time));
  if (texts.latitude) Label(Value::Latitude)->setText(ToQString(*texts.latitude));
  if (texts.longitude) Label(Value::Longitude)->setText(ToQString(*texts.longitude));
  if (texts.altitude) Label(Value::Altitude)->setText(ToQString(*texts.altitude));
  Label(Value::Fix)->setText(ToQString(texts.fix));
  Label(Value::Satellites)->setText(ToQString(texts.satellites));
}

void TGpsInForm::SetLamp(Rgb colour) {
  static_cast<RoundLamp*>(m_lamp)->SetColour(QColor(colour.red, colour.green, colour.blue));
}

void TGpsInForm::SetStatus(const QString& text) {
  m_status->setText(text);
  m_status->setVisible(!text.isEmpty());
}

QString TGpsInForm::Text(Value value) const {
  return Label(value)->text();
}

QColor TGpsInForm::LampColour() const {
  return static_cast<const RoundLamp*>(m_lamp)->Colour();
}

QString TGpsInForm::Status() const {
  return m_status->text();
}

}  // namespace windlark
