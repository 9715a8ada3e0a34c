#pragma once

#include <QStyledItemDelegate>

namespace windlark {

// Draws a row of the settings' audio device list: a radio mark, checked for the selected row,
// then the device name.
class TAudioDeviceDelegate : public QStyledItemDelegate {
  Q_OBJECT

 public:
  using QStyledItemDelegate::QStyledItemDelegate;

  static constexpr int kMarkSize = 12;
  static constexpr int kTextX = 15;
  static constexpr int kTextTop = 3;

  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override;
  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
};

}  // namespace windlark
