#pragma once

#include <QString>
#include <QWidget>
#include <functional>

#include "aprs/AprsObject.h"

class QLabel;
class QToolButton;

namespace windlark {

// "APRS Tracking": the tracked sonde's last report, its bearing, elevation and slant range from
// home, and a button that opens its position on the web map. A tool window that stays on top of
// the main window, without title-bar buttons.
class TAprsPanel : public QWidget {
  Q_OBJECT

 public:
  explicit TAprsPanel(QWidget* parent = nullptr);

  // "Waiting data..." and every other value empty; the web map keeps the last position.
  void ResetPanel();
  void ShowReport(const TrackingPanelTexts& texts);
  // How the web map is opened; by default the system's browser.
  void SetUrlOpener(std::function<void(const QString&)> open) { m_open = std::move(open); }
  QString Value(const QString& caption) const;
  const QString& LinkLatitude() const { return m_linkLatitude; }
  const QString& LinkLongitude() const { return m_linkLongitude; }

 public slots:
  void SpeedButton1Click();

 private:
  QLabel* m_sondeId = nullptr;
  QLabel* m_latitude = nullptr;
  QLabel* m_longitude = nullptr;
  QLabel* m_altitude = nullptr;
  QLabel* m_time = nullptr;
  QLabel* m_course = nullptr;
  QLabel* m_speed = nullptr;
  QLabel* m_climb = nullptr;
  QLabel* m_source = nullptr;
  QLabel* m_bearing = nullptr;
  QLabel* m_elevation = nullptr;
  QLabel* m_slantRange = nullptr;
  QLabel* m_payload = nullptr;
  QToolButton* m_webMap = nullptr;
  QString m_linkLatitude;
  QString m_linkLongitude;
  std::function<void(const QString&)> m_open;
};

}  // namespace windlark
