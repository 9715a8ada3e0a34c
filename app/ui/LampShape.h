#pragma once

#include <QColor>
#include <QWidget>

namespace windlark {

// A small coloured square: the activity lamps and the calibration-fragment lamps.
class TLampShape : public QWidget {
  Q_OBJECT

 public:
  explicit TLampShape(int size, QWidget* parent = nullptr);

  void SetColour(const QColor& colour);
  const QColor& Colour() const { return m_colour; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QColor m_colour{0, 0, 128};
};

}  // namespace windlark
