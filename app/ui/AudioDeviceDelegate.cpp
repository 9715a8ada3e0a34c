#include "app/ui/AudioDeviceDelegate.h"

#include <QApplication>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionButton>
#include <algorithm>

namespace windlark {

void TAudioDeviceDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                 const QModelIndex& index) const {
  const QRect row = option.rect;
  const bool selected = (option.state & QStyle::State_Selected) != 0;
  const QWidget* widget = option.widget;
  QStyle* style = widget != nullptr ? widget->style() : QApplication::style();

  // The mark shows the choice, so the row keeps the list's own background.
  painter->save();
  painter->fillRect(row, option.palette.base());

  QStyleOptionButton mark;
  mark.rect =
      QRect(row.left() + 1, row.top() + (row.height() - kMarkSize) / 2, kMarkSize, kMarkSize);
  mark.state = QStyle::State_Enabled | (selected ? QStyle::State_On : QStyle::State_Off);
  if ((option.state & QStyle::State_Enabled) == 0) mark.state &= ~QStyle::State_Enabled;
  mark.palette = option.palette;
  style->drawPrimitive(QStyle::PE_IndicatorRadioButton, &mark, painter, widget);

  painter->setFont(option.font);
  painter->setPen(option.palette.color(
      (option.state & QStyle::State_Enabled) != 0 ? QPalette::Active : QPalette::Disabled,
      QPalette::Text));
  const QRect text(row.left() + kTextX, row.top() + kTextTop, row.width() - kTextX - 2,
                   row.height() - kTextTop);
  const QString name = index.data(Qt::DisplayRole).toString();
  painter->drawText(text, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                    option.fontMetrics.elidedText(name, Qt::ElideRight, text.width()));
  if ((option.state & QStyle::State_HasFocus) != 0) {
    QStyleOptionFocusRect focus;
    focus.rect = row.adjusted(kTextX - 2, 0, 0, 0);
    focus.palette = option.palette;
    style->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, painter, widget);
  }
  painter->restore();
}

QSize TAudioDeviceDelegate::sizeHint(const QStyleOptionViewItem& option,
                                     const QModelIndex& index) const {
  const QString name = index.data(Qt::DisplayRole).toString();
  const int height = std::max(kMarkSize + 4, option.fontMetrics.height() + kTextTop + 2);
  return {kTextX + option.fontMetrics.horizontalAdvance(name) + 4, height};
}

}  // namespace windlark
