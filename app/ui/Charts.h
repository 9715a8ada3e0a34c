#pragma once

#include <QImage>
#include <QWidget>

namespace windlark {

class TelemetryLog;
struct TelemetryPoint;

// "Diagrams ": the sounding on a 660 x 643 Stüve diagram. Every log entry with a GPS fix and
// valid PTU adds a black pixel for the temperature and a blue one for the dew point.
//
// Use from the main window:
//   "Open diagrams window" click: form11.OpenDiagrams(log);  (redraws everything from the log)
//   after each log append, while form11.isVisible(): form11.PlotPoint(entry);
//   new sonde: form11.DrawChart();  (background only)
//   SetDecimalSeparator(LocaleDecimalSeparator()) once: the mixing-ratio labels follow the locale.
class TForm11 : public QWidget {
  Q_OBJECT

 public:
  explicit TForm11(QWidget* parent = nullptr);

  // The log the window redraws from; it must outlive the window or be replaced first.
  void SetLog(const TelemetryLog* log) { m_log = log; }
  void SetDecimalSeparator(char separator);
  // "Open diagrams window": hands over the log and shows the window if it is hidden.
  void OpenDiagrams(const TelemetryLog& log);

  // The background alone: adiabats, mixing-ratio lines, isobars, isotherms, titles.
  void DrawChart();
  // PlotPoint for every entry of the log, oldest first.
  void PlotLog();
  // The entry's temperature and dew point pixels, when it qualifies.
  void PlotPoint(const TelemetryPoint& entry);

  const QImage& Chart() const { return m_chart; }

 protected:
  void showEvent(QShowEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  void DrawAdiabats(QPainter& painter);
  void DrawMixingRatios(QPainter& painter);
  void DrawIsobarsAndIsotherms(QPainter& painter);
  void DrawTitles(QPainter& painter);
  void SetChartPixel(int x, int y, QRgb colour);

  QImage m_chart;
  const TelemetryLog* m_log = nullptr;
  char m_decimalSeparator = '.';
};

}  // namespace windlark
