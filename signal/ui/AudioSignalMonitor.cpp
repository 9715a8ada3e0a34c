#include "signal/ui/AudioSignalMonitor.h"

#include <QPainter>
#include <QPolygon>
#include <QRect>

#include "signal/SignalTrace.h"

namespace windlark {

namespace {

QColor ToQColor(Rgb colour) {
  return {colour.red, colour.green, colour.blue};
}

}  // namespace

TAudioSignalForm::TAudioSignalForm(QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint),
      m_bitmap(kMonitorBitmapWidth, kMonitorHeight, QImage::Format_RGB32) {
  setWindowTitle(QStringLiteral("Input Signal"));
  setFixedSize(kMonitorImageWidth, kMonitorHeight);
  setAttribute(Qt::WA_OpaquePaintEvent);
  m_bitmap.fill(Qt::white);
}

void TAudioSignalForm::SetSamples(std::span<const std::uint8_t> buffer) {
  m_samples.assign(buffer.begin(), buffer.end());
}

void TAudioSignalForm::Draw(int start) {
  QPainter painter(&m_bitmap);
  painter.fillRect(m_bitmap.rect(), ToQColor(kMonitorBackground));

  painter.setPen(QPen(ToQColor(kMonitorLimitColour), 1));
  for (int y : kMonitorLimitLinesY) painter.drawLine(0, y, kGuideLineEndX, y);
  painter.setPen(QPen(ToQColor(kMonitorGridColour), 1));
  for (int y : kMonitorGridLinesY) painter.drawLine(0, y, kGuideLineEndX, y);

  const std::vector<TracePoint> points = TracePoints(m_samples, start);
  QPolygon trace;
  trace.reserve(static_cast<qsizetype>(points.size()));
  for (const TracePoint& point : points) trace.append(QPoint(point.x, point.y));
  painter.setPen(QPen(ToQColor(kMonitorTraceColour), kMonitorTraceWidth, Qt::SolidLine,
                      Qt::RoundCap, Qt::RoundJoin));
  painter.drawPolyline(trace);
  painter.end();
  update();
}

void TAudioSignalForm::OpenMonitor(const QRect& mainFrame) {
  if (isVisible()) return;
  if (!m_placed) {
    move(mainFrame.x() + (mainFrame.width() - width()) / 2,
         mainFrame.y() + (mainFrame.height() - height()) / 2);
    m_placed = true;
  }
  show();
}

void TAudioSignalForm::paintEvent(QPaintEvent* /*event*/) {
  QPainter painter(this);
  painter.drawImage(QPoint(0, 0), m_bitmap, QRect(0, 0, kMonitorImageWidth, kMonitorHeight));
}

}  // namespace windlark
