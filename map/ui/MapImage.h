#pragma once

#include <QFrame>
#include <QImage>

namespace windlark {

// The map's place in the main window: shows the picture the map presents and reports the mouse
// in picture coordinates.
class TMapImage : public QFrame {
  Q_OBJECT

 public:
  explicit TMapImage(QWidget* parent = nullptr);

  void SetPicture(const QImage& picture);
  const QImage& Picture() const { return m_picture; }
  // The picture's size: the widget less its frame.
  QSize ViewSize() const { return contentsRect().size(); }

 signals:
  void MouseDown(QPoint position);
  void MouseMove(QPoint position);
  void MouseUp(QPoint position);
  // A wheel notch with the pointer strictly inside the picture: +1 away from the user (zoom
  // in), -1 towards.
  void Wheel(int step);
  void Resized(QSize size);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  QPoint Inside(QPointF widgetPosition) const;

  static constexpr int kNotch = 120;

  QImage m_picture;
  int m_wheel = 0;
};

}  // namespace windlark
