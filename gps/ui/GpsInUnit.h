#pragma once

#include <QColor>
#include <QString>
#include <QWidget>
#include <array>

#include "gps/Nmea.h"

class QLabel;

namespace windlark {

// The small "GPS IN" tool window: the station GPS's time, position, altitude, fix and
// satellites, a lamp at the top right, and a status line for a port or gpsd that is gone.
class TGpsInForm : public QWidget {
  Q_OBJECT

 public:
  enum class Value { Time, Latitude, Longitude, Altitude, Fix, Satellites, Count };

  explicit TGpsInForm(QWidget* parent = nullptr);

  // A new reader: every value emptied, the lamp navy, the caption naming the source.
  void Reset(const QString& sourceName);
  void ShowTexts(const GpsInTexts& texts);
  void SetLamp(Rgb colour);
  void SetStatus(const QString& text);

  QString Text(Value value) const;
  QColor LampColour() const;
  QString Status() const;

 private:
  QLabel* Label(Value value) const { return m_values[static_cast<std::size_t>(value)]; }

  std::array<QLabel*, static_cast<std::size_t>(Value::Count)> m_values{};
  QWidget* m_lamp = nullptr;
  QLabel* m_status = nullptr;
};

}  // namespace windlark
