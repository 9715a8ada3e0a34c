#include "map/ui/MapImage.h"

#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

namespace windlark {

TMapImage::TMapImage(QWidget* parent) : QFrame(parent) {
  setObjectName(QStringLiteral("Image1"));
  setFrameShape(QFrame::StyledPanel);
  setFrameShadow(QFrame::Sunken);
  setMouseTracking(false);
  setAttribute(Qt::WA_OpaquePaintEvent);
  setCursor(Qt::OpenHandCursor);
}

void TMapImage::SetPicture(const QImage& picture) {
  m_picture = picture;
  update(contentsRect());
}

void TMapImage::paintEvent(QPaintEvent* event) {
  QFrame::paintEvent(event);
  QPainter painter(this);
  const QRect area = contentsRect();
  painter.fillRect(area, QColor(240, 240, 240));
  if (!m_picture.isNull()) painter.drawImage(area.topLeft(), m_picture);
}

QPoint TMapImage::Inside(QPointF widgetPosition) const {
  return widgetPosition.toPoint() - contentsRect().topLeft();
}

void TMapImage::mousePressEvent(QMouseEvent* event) {
  setCursor(Qt::ClosedHandCursor);
  emit MouseDown(Inside(event->position()));
}

void TMapImage::mouseMoveEvent(QMouseEvent* event) {
  emit MouseMove(Inside(event->position()));
}

void TMapImage::mouseReleaseEvent(QMouseEvent* event) {
  setCursor(Qt::OpenHandCursor);
  emit MouseUp(Inside(event->position()));
}

void TMapImage::wheelEvent(QWheelEvent* event) {
  const QPoint p = event->position().toPoint();
  const QRect area = contentsRect();
  // Strictly inside: the frame's own pixels do not count.
  if (p.x() > area.left() && p.x() < area.right() && p.y() > area.top() && p.y() < area.bottom()) {
    // One zoom step per notch (120); a touchpad's small steps add up to one.
    m_wheel += event->angleDelta().y() != 0 ? event->angleDelta().y() : event->angleDelta().x();
    while (m_wheel >= kNotch) {
      m_wheel -= kNotch;
      emit Wheel(1);
    }
    while (m_wheel <= -kNotch) {
      m_wheel += kNotch;
      emit Wheel(-1);
    }
  }
  event->accept();
}

void TMapImage::resizeEvent(QResizeEvent* event) {
  QFrame::resizeEvent(event);
  emit Resized(ViewSize());
}

}  // namespace windlark
