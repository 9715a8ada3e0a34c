#include "xdata/ui/AuxFrameUnit.h"

#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <algorithm>

#include "base/ui/SansFont.h"
#include "xdata/PanelPlacement.h"

namespace windlark {

namespace {

constexpr QRect kTitleBar(3, 3, 149, 20);
constexpr QRect kStatusBox(4, 4, 22, 18);
constexpr QColor kTitleBackground(133, 161, 222);
constexpr int kTextPixels = 11;
constexpr int kTitlePixels = 12;
constexpr int kRowInset = 5;

QColor ToQColor(Rgb colour) {
  return {colour.red, colour.green, colour.blue};
}

QString FromUtf8(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

void SetTextColour(QWidget* widget, const QColor& colour) {
  QPalette palette = widget->palette();
  palette.setColor(QPalette::WindowText, colour);
  widget->setPalette(palette);
}

}  // namespace

TAuxFrame::TAuxFrame(const InstrumentPanel& panel, QWidget* parent)
    : QFrame(parent),
      m_position(panel.Position()),
      m_kind(panel.Kind()),
      m_title(new QLabel(this)),
      m_status(new QLabel(this)) {
  setObjectName(QString::fromStdString(panel.Name()));
  setFrameStyle(QFrame::Panel | QFrame::Raised);
  setLineWidth(1);
  setFixedSize(kAuxPanelWidth, kAuxPanelHeight);

  m_title->setGeometry(kTitleBar);
  m_title->setAutoFillBackground(true);
  QPalette titlePalette = m_title->palette();
  titlePalette.setColor(QPalette::Window, kTitleBackground);
  titlePalette.setColor(QPalette::WindowText, Qt::white);
  m_title->setPalette(titlePalette);
  m_title->setFont(SansFont(kTitlePixels, true));
  m_title->setAlignment(Qt::AlignCenter);
  m_title->setText(FromUtf8(panel.Layout().title));

  m_status->setGeometry(kStatusBox);
  m_status->setFont(SansFont(kTextPixels, true));
  m_status->setAlignment(Qt::AlignCenter);
  m_status->setText(QString::fromStdString(panel.StatusText()));
  PaintStatus(ToQColor(panel.StatusColour()));
  m_status->raise();
}

void TAuxFrame::PaintStatus(const QColor& colour) {
  m_status->setProperty("statusColour", colour);
  m_status->setStyleSheet(
      QStringLiteral("QLabel { background-color: %1; color: white; border: 1px solid black; }")
          .arg(colour.name()));
}

QString TAuxFrame::Title() const {
  return m_title->text();
}

QString TAuxFrame::StatusText() const {
  return m_status->text();
}

QColor TAuxFrame::StatusColour() const {
  return m_status->property("statusColour").value<QColor>();
}

QString TAuxFrame::ValueText(std::size_t row) const {
  return row < m_values.size() ? m_values[row]->text() : QString();
}

void TAuxFrame::ShowPanel(const InstrumentPanel& panel) {
  const QColor colour = ToQColor(panel.StatusColour());
  if (StatusColour() != colour) PaintStatus(colour);
  const std::size_t rows = std::min(m_values.size(), panel.RowCount());
  for (std::size_t row = 0; row < rows; ++row) {
    const QString text = QString::fromStdString(panel.Value(row));
    if (m_values[row]->text() == text) continue;
    m_values[row]->setText(text);
    if (m_values[row]->property("fitText").toBool()) FitText(m_values[row]);
  }
}

void TAuxFrame::FitText(QLabel* label) {
  // The longest status lines are wider than the panel: a smaller face keeps them whole.
  constexpr int kSmallestPixels = 8;
  int pixels = kTextPixels;
  while (pixels > kSmallestPixels &&
         QFontMetrics(SansFont(pixels)).horizontalAdvance(label->text()) > label->width())
    --pixels;
  label->setFont(SansFont(pixels));
  label->setToolTip(label->text());
}

QRect TAuxFrame::BodyArea() {
  return {kBodyLeft, kBodyTop, kAuxPanelWidth - 2 * kBodyLeft, kAuxPanelHeight - kBodyTop - 3};
}

int TAuxFrame::GroupContentTop() {
  return QFontMetrics(SansFont(kTextPixels)).height() - 1;
}

QWidget* TAuxFrame::AddGroup(QWidget* container, const PanelGroup& group, const QRect& area,
                             int pitch) {
  auto* box = new QGroupBox(FromUtf8(group.caption), container);
  box->setFont(SansFont(kTextPixels));
  box->setGeometry(area);
  // The caption sits on the frame line, as on the classic etched group box, whatever the style.
  const int halfCaption = QFontMetrics(box->font()).height() / 2;
  box->setStyleSheet(QStringLiteral("QGroupBox { border: 1px solid #a0a0a0; border-radius: 2px; "
                                    "margin-top: %1px; } QGroupBox::title { subcontrol-origin: "
                                    "margin; left: 6px; padding: 0px 1px; }")
                         .arg(halfCaption));

  const auto rows = Layout().rows.subspan(group.firstRow, group.rowCount);
  const int top = GroupContentTop();
  const auto ruleCount = static_cast<int>(
      std::count_if(rows.begin(), rows.end(), [](const PanelRow& row) { return row.ruleAbove; }));
  const int rowCount = static_cast<int>(rows.size());
  if (pitch <= 0 && rowCount > 0)
    pitch = std::clamp((area.height() - top - 3 - 3 * ruleCount) / rowCount, kMinRowPitch,
                       kMaxRowPitch);
  const int width = area.width() - 2 * kRowInset;
  const int labelHeight = QFontMetrics(SansFont(kTextPixels)).height();
  const QColor valueColour = ToQColor(Layout().valueColour);

  int y = top;
  for (const PanelRow& row : rows) {
    if (row.ruleAbove) {
      auto* rule = new QFrame(box);
      rule->setFrameStyle(QFrame::HLine | QFrame::Sunken);
      rule->setGeometry(kRowInset, y, width, 3);
      y += 3;
    }
    auto* value = new QLabel(box);
    value->setFont(SansFont(kTextPixels));
    SetTextColour(value, valueColour);
    if (row.caption.empty()) {
      // A caption-less line (the OIF411 status line) has the row to itself.
      value->setGeometry(kRowInset, y, width, labelHeight);
      value->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
      value->setProperty("fitText", true);
    } else {
      auto* caption = new QLabel(FromUtf8(row.caption), box);
      caption->setFont(SansFont(kTextPixels));
      SetTextColour(caption, Qt::black);
      caption->setGeometry(kRowInset, y, width, labelHeight);
      caption->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
      if (!row.hint.empty()) caption->setToolTip(FromUtf8(row.hint));
      const int captionWidth = QFontMetrics(caption->font()).horizontalAdvance(caption->text());
      const int valueLeft = kRowInset + captionWidth + 4;
      value->setGeometry(valueLeft, y, kRowInset + width - valueLeft, labelHeight);
      value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    }
    m_values.push_back(value);
    y += pitch;
  }
  return box;
}

}  // namespace windlark
