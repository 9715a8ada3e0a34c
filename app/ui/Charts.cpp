#include "app/ui/Charts.h"

#include <QFontMetrics>
#include <QPaintEvent>
#include <QPainter>
#include <QPolygon>
#include <vector>

#include "app/StuveGeometry.h"
#include "base/Format.h"
#include "base/ui/SansFont.h"
#include "decoder/TelemetryLog.h"

namespace windlark {

namespace {

const QColor kAdiabatColour(227, 159, 117);
const QColor kMixingRatioColour(124, 167, 216);
constexpr QRgb kTemperaturePixel = 0xFF000000;
constexpr QRgb kDewPointPixel = 0xFF0000FF;
// Font sizes of 7, 8 and 9 points at 96 dots per inch.
constexpr int kMixingLabelPixels = 9;
constexpr int kTitlePixels = 11;
constexpr int kAxisLabelPixels = 12;
constexpr int kLabelGap = 5;
// The plot area as drawing clips it: the right and bottom edges are outside.
const QRect kPlotClip(kPlotLeft, kPlotTop, kPlotRight - kPlotLeft, kPlotBottom - kPlotTop);

QPolygon ToPolygon(const std::vector<ChartPoint>& points) {
  QPolygon polygon;
  polygon.reserve(static_cast<qsizetype>(points.size()));
  for (const ChartPoint& point : points) polygon.append(QPoint(point.x, point.y));
  return polygon;
}

// Text with its cell's top-left corner at (x, y), on the white chart.
void TextOut(QPainter& painter, int x, int y, const QString& text) {
  painter.drawText(QPoint(x, y + painter.fontMetrics().ascent()), text);
}

QString Integer(double value) {
  return QString::fromStdString(FormatInt(static_cast<long long>(RoundHalfEven(value))));
}

}  // namespace

TForm11::TForm11(QWidget* parent)
    : QWidget(parent,
              Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      m_chart(kChartWidth, kChartHeight, QImage::Format_RGB32) {
  setWindowTitle(QStringLiteral("Diagrams "));
  setFixedSize(kChartWidth, kChartHeight);
  setAttribute(Qt::WA_OpaquePaintEvent);
  DrawChart();
}

void TForm11::SetDecimalSeparator(char separator) {
  m_decimalSeparator = separator;
}

void TForm11::OpenDiagrams(const TelemetryLog& log) {
  if (isVisible()) return;
  m_log = &log;
  show();
}

void TForm11::DrawChart() {
  m_chart.fill(Qt::white);
  QPainter painter(&m_chart);
  painter.setBackgroundMode(Qt::TransparentMode);
  DrawAdiabats(painter);
  DrawMixingRatios(painter);
  DrawIsobarsAndIsotherms(painter);
  DrawTitles(painter);
  painter.end();
  update();
}

void TForm11::DrawAdiabats(QPainter& painter) {
  painter.save();
  painter.setClipRect(kPlotClip);
  painter.setPen(QPen(kAdiabatColour, 1, Qt::SolidLine));
  for (double theta : DryAdiabatThetas()) painter.drawPolyline(ToPolygon(DryAdiabat(theta)));
  painter.setPen(QPen(kAdiabatColour, 1, Qt::DashLine));
  for (double start : SaturatedAdiabatStarts())
    painter.drawPolyline(ToPolygon(SaturatedAdiabat(start)));
  painter.restore();
}

void TForm11::DrawMixingRatios(QPainter& painter) {
  painter.setPen(QPen(kMixingRatioColour, 1, Qt::DotLine));
  painter.setFont(SansFont(kMixingLabelPixels));
  const QFontMetrics metrics = painter.fontMetrics();
  for (double w : kMixingRatios) {
    const std::vector<ChartPoint> line = MixingRatioLine(w);
    painter.drawPolyline(ToPolygon(line));
    const QString label = QString::fromStdString(MixingRatioLabel(w, m_decimalSeparator));
    const int width = metrics.horizontalAdvance(label);
    TextOut(painter, line.back().x - width / 2, 3, label);
  }
  TextOut(painter, 400, 2, QStringLiteral("Mixing ratio (g/kg)"));
}

void TForm11::DrawIsobarsAndIsotherms(QPainter& painter) {
  painter.setPen(QPen(Qt::black, 1, Qt::SolidLine));
  painter.setFont(SansFont(kAxisLabelPixels));
  const QFontMetrics metrics = painter.fontMetrics();
  for (double p : kIsobars) {
    const int y = ChartPosition(kChartTMin, p).y;
    painter.drawLine(kPlotLeft, y, kPlotRight, y);
    const QString label = Integer(p);
    TextOut(painter, kPlotLeft - kLabelGap - metrics.horizontalAdvance(label),
            y - metrics.height() / 2, label);
  }
  for (double t : IsothermTemperatures()) {
    const int x = ChartPosition(t, kChartPBottom).x;
    painter.drawLine(x, kPlotTop, x, kPlotBottom);
    const QString label = Integer(t);
    TextOut(painter, x - metrics.horizontalAdvance(label) / 2, kChartHeight - 25, label);
  }
}

void TForm11::DrawTitles(QPainter& painter) {
  painter.setPen(Qt::black);
  painter.setFont(SansFont(kTitlePixels));
  // The title stands inside the plot area: a white ground keeps it readable over the lines.
  painter.setBackgroundMode(Qt::OpaqueMode);
  painter.setBackground(Qt::white);
  TextOut(painter, 480, 18, QStringLiteral("Stüve Diagram (Preliminary)"));
  painter.setBackgroundMode(Qt::TransparentMode);
  TextOut(painter, 290, kChartHeight - 13, QStringLiteral("Temperature(°C)"));
  // Reading upwards from (0, 100); the glyphs stand to the right of x = 0.
  painter.save();
  painter.translate(0, 100);
  painter.rotate(-90);
  TextOut(painter, 0, 0, QStringLiteral("Pressure (hPa)"));
  painter.restore();
}

void TForm11::PlotLog() {
  if (m_log == nullptr) return;
  for (const TelemetryPoint& entry : m_log->Snapshot()) PlotPoint(entry);
}

void TForm11::PlotPoint(const TelemetryPoint& entry) {
  const SoundingPixels pixels = SoundingPixelsOf(entry.frame);
  if (pixels.temperature)
    SetChartPixel(pixels.temperature->x, pixels.temperature->y, kTemperaturePixel);
  if (pixels.dewPoint) SetChartPixel(pixels.dewPoint->x, pixels.dewPoint->y, kDewPointPixel);
}

void TForm11::SetChartPixel(int x, int y, QRgb colour) {
  if (!m_chart.valid(x, y)) return;
  m_chart.setPixel(x, y, colour);
  update(x, y, 1, 1);
}

void TForm11::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  DrawChart();
  PlotLog();
}

void TForm11::paintEvent(QPaintEvent* event) {
  QPainter painter(this);
  painter.drawImage(event->rect(), m_chart, event->rect());
}

}  // namespace windlark
