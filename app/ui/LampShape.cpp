#include "app/ui/LampShape.h"

#include <QPainter>

namespace windlark {

TLampShape::TLampShape(int size, QWidget* parent) : QWidget(parent) {
  setFixedSize(size, size);
}

void TLampShape::SetColour(const QColor& colour) {
  if (colour == m_colour) return;
  m_colour = colour;
  update();
}

void TLampShape::paintEvent(QPaintEvent* /*event*/) {
  QPainter painter(this);
  painter.setPen(QColor(64, 64, 64));
  painter.setBrush(m_colour);
  painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

}  // namespace windlark
