#include "app/ui/Glyphs.h"

#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPolygonF>
#include <cmath>
#include <numbers>

namespace windlark {

namespace {

constexpr int kSize = 24;

const QColor kInk(40, 40, 40);
const QColor kBlue(30, 90, 200);
const QColor kGreen(20, 150, 40);
const QColor kRed(200, 30, 30);

void Floppy(QPainter& p, const QRectF& r) {
  p.setPen(QPen(kInk, 1));
  p.setBrush(kBlue);
  p.drawRect(r);
  p.setBrush(Qt::white);
  p.drawRect(QRectF(r.left() + r.width() * 0.2, r.top(), r.width() * 0.6, r.height() * 0.35));
  p.setBrush(QColor(220, 220, 220));
  p.drawRect(QRectF(r.left() + r.width() * 0.25, r.top() + r.height() * 0.55, r.width() * 0.5,
                    r.height() * 0.45));
}

void Magnifier(QPainter& p, bool plus) {
  p.setPen(QPen(kInk, 2));
  p.setBrush(QColor(220, 235, 255));
  p.drawEllipse(QPointF(10, 10), 7, 7);
  p.setPen(QPen(kInk, 3, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(QPointF(15, 15), QPointF(21, 21));
  p.setPen(QPen(kBlue, 2));
  p.drawLine(QPointF(6, 10), QPointF(14, 10));
  if (plus) p.drawLine(QPointF(10, 6), QPointF(10, 14));
}

void Antenna(QPainter& p, bool on) {
  p.setPen(QPen(kInk, 2));
  p.drawLine(QPointF(12, 8), QPointF(12, 21));
  p.drawLine(QPointF(8, 21), QPointF(16, 21));
  p.setPen(QPen(on ? kGreen : QColor(150, 150, 150), 2));
  p.setBrush(Qt::NoBrush);
  p.drawArc(QRectF(6, 2, 12, 12), 30 * 16, 120 * 16);
  p.drawArc(QRectF(2, -2, 20, 20), 35 * 16, 110 * 16);
  if (!on) {
    p.setPen(QPen(kRed, 2));
    p.drawLine(QPointF(15, 12), QPointF(21, 18));
    p.drawLine(QPointF(21, 12), QPointF(15, 18));
  }
}

// The glyphs of the decoding, radio, track, map and APRS groups; false for the others.
bool DrawControlGlyph(QPainter& p, Glyph glyph) {
  switch (glyph) {
    case Glyph::Play:
      p.setPen(QPen(kInk, 1));
      p.setBrush(kGreen);
      p.drawPolygon(QPolygonF({{6, 3}, {20, 12}, {6, 21}}));
      break;
    case Glyph::Stop:
      p.setPen(QPen(kInk, 1));
      p.setBrush(kRed);
      p.drawRect(QRectF(5, 5, 14, 14));
      break;
    case Glyph::RadioOn:
    case Glyph::RadioOff:
      Antenna(p, glyph == Glyph::RadioOn);
      break;
    case Glyph::SaveTrack: {
      Floppy(p, QRectF(9, 9, 13, 13));
      p.setPen(QPen(kRed, 2));
      QPainterPath path(QPointF(2, 14));
      path.cubicTo(QPointF(4, 2), QPointF(10, 10), QPointF(12, 2));
      p.setBrush(Qt::NoBrush);
      p.drawPath(path);
      break;
    }
    case Glyph::AutoCenter:
      p.setPen(QPen(kInk, 2));
      p.setBrush(Qt::NoBrush);
      p.drawEllipse(QPointF(12, 12), 7, 7);
      p.drawLine(QPointF(12, 1), QPointF(12, 8));
      p.drawLine(QPointF(12, 16), QPointF(12, 23));
      p.drawLine(QPointF(1, 12), QPointF(8, 12));
      p.drawLine(QPointF(16, 12), QPointF(23, 12));
      break;
    case Glyph::Globe:
      p.setPen(QPen(kBlue, 1.5));
      p.setBrush(QColor(210, 230, 255));
      p.drawEllipse(QPointF(12, 12), 10, 10);
      p.setBrush(Qt::NoBrush);
      p.drawEllipse(QPointF(12, 12), 4, 10);
      p.drawLine(QPointF(2, 12), QPointF(22, 12));
      p.drawLine(QPointF(4, 7), QPointF(20, 7));
      p.drawLine(QPointF(4, 17), QPointF(20, 17));
      break;
    case Glyph::Disk:
      Floppy(p, QRectF(3, 3, 18, 18));
      break;
    case Glyph::Plus:
    case Glyph::Minus:
      Magnifier(p, glyph == Glyph::Plus);
      break;
    case Glyph::Aprs:
    case Glyph::AprsGood:
    case Glyph::AprsFail:
      p.setPen(QPen(glyph == Glyph::AprsGood   ? kGreen
                    : glyph == Glyph::AprsFail ? kRed
                                               : kBlue,
                    2));
      p.setBrush(Qt::NoBrush);
      p.drawEllipse(QPointF(12, 12), 10, 10);
      p.setFont(QFont(QStringLiteral("DejaVu Sans"), 6, QFont::Bold));
      p.drawText(QRectF(0, 0, kSize, kSize), Qt::AlignCenter, QStringLiteral("APRS"));
      break;
    case Glyph::Monitoring:
      p.setPen(QPen(kInk, 1.5));
      p.setBrush(Qt::white);
      p.drawEllipse(QPointF(12, 12), 10, 6);
      p.setBrush(kBlue);
      p.drawEllipse(QPointF(12, 12), 4, 4);
      break;
    case Glyph::Tracking:
      p.setPen(QPen(kRed, 2));
      p.setBrush(Qt::NoBrush);
      p.drawEllipse(QPointF(12, 12), 9, 9);
      p.drawEllipse(QPointF(12, 12), 4, 4);
      p.setBrush(kRed);
      p.drawEllipse(QPointF(12, 12), 1, 1);
      break;
    case Glyph::Pause:
      p.setPen(QPen(kInk, 1));
      p.setBrush(kBlue);
      p.drawRect(QRectF(6, 4, 4, 16));
      p.drawRect(QRectF(14, 4, 4, 16));
      break;
    default:
      return false;
  }
  return true;
}

// The glyphs of the "Tools" group.
void DrawToolGlyph(QPainter& p, Glyph glyph) {
  switch (glyph) {
    case Glyph::Settings: {
      p.setPen(QPen(kInk, 1));
      p.setBrush(QColor(120, 120, 130));
      QPolygonF gear;
      for (int k = 0; k < 16; ++k) {
        const double angle = k * std::numbers::pi / 8;
        const double radius = k % 2 == 0 ? 10.5 : 7.5;
        gear << QPointF(12 + radius * std::cos(angle), 12 + radius * std::sin(angle));
      }
      p.drawPolygon(gear);
      p.setBrush(Qt::white);
      p.drawEllipse(QPointF(12, 12), 3.5, 3.5);
      break;
    }
    case Glyph::OpenRaw:
      p.setPen(QPen(kInk, 1));
      p.setBrush(QColor(240, 200, 80));
      p.drawPolygon(QPolygonF({{2, 6}, {9, 6}, {11, 8}, {22, 8}, {22, 20}, {2, 20}}));
      p.setPen(QPen(kInk, 1));
      p.setFont(QFont(QStringLiteral("DejaVu Sans Mono"), 6, QFont::Bold));
      p.drawText(QRectF(2, 9, 20, 11), Qt::AlignCenter, QStringLiteral("01"));
      break;
    case Glyph::GhostTrack:
      p.setPen(QPen(QColor(120, 120, 120), 2, Qt::DashLine));
      p.drawPolyline(QPolygonF({{2, 20}, {7, 10}, {12, 15}, {17, 5}, {22, 9}}));
      break;
    case Glyph::WebMap:
      p.setPen(QPen(kInk, 1));
      p.setBrush(kRed);
      p.drawPolygon(QPolygonF({{12, 22}, {6, 12}, {12, 2}, {18, 12}}));
      p.drawEllipse(QPointF(12, 9), 6, 6);
      p.setBrush(Qt::white);
      p.drawEllipse(QPointF(12, 9), 2.5, 2.5);
      break;
    case Glyph::Rotor:
      p.setPen(QPen(kInk, 2));
      p.drawLine(QPointF(12, 13), QPointF(12, 22));
      p.drawLine(QPointF(7, 22), QPointF(17, 22));
      p.setBrush(QColor(200, 200, 210));
      p.drawChord(QRectF(3, 0, 18, 16), 200 * 16, 140 * 16);
      break;
    case Glyph::SaveTable:
      p.setPen(QPen(kInk, 1));
      p.setBrush(Qt::white);
      p.drawRect(QRectF(2, 2, 16, 14));
      for (int y : {6, 10, 14}) p.drawLine(QPointF(2, y), QPointF(18, y));
      p.drawLine(QPointF(8, 2), QPointF(8, 16));
      Floppy(p, QRectF(12, 11, 11, 11));
      break;
    case Glyph::About:
      p.setPen(Qt::NoPen);
      p.setBrush(kBlue);
      p.drawEllipse(QPointF(12, 12), 10, 10);
      p.setBrush(Qt::white);
      p.drawEllipse(QPointF(12, 7), 1.8, 1.8);
      p.drawRect(QRectF(10.5, 10, 3, 9));
      break;
    case Glyph::Auxiliary:
      p.setPen(QPen(kInk, 1));
      p.setBrush(QColor(250, 250, 250));
      p.drawEllipse(QPointF(12, 7), 6, 6);
      p.drawLine(QPointF(12, 13), QPointF(12, 17));
      p.setBrush(QColor(230, 120, 40));
      p.drawRect(QRectF(8, 17, 8, 5));
      break;
    case Glyph::Scope: {
      p.setPen(QPen(kInk, 1));
      p.setBrush(QColor(20, 40, 20));
      p.drawRect(QRectF(1, 3, 22, 18));
      p.setPen(QPen(QColor(80, 255, 80), 1.5));
      QPolygonF wave;
      for (int x = 2; x <= 22; ++x) wave << QPointF(x, 12 - 6 * std::sin((x - 2) * 0.6));
      p.drawPolyline(wave);
      break;
    }
    case Glyph::Satellite:
      p.setPen(QPen(kInk, 1));
      p.setBrush(QColor(60, 100, 180));
      p.drawRect(QRectF(1, 9, 7, 6));
      p.drawRect(QRectF(16, 9, 7, 6));
      p.setBrush(QColor(220, 200, 80));
      p.drawRect(QRectF(9, 8, 6, 8));
      p.setPen(QPen(kGreen, 1.5));
      p.setBrush(Qt::NoBrush);
      p.drawArc(QRectF(8, 16, 8, 8), 200 * 16, 140 * 16);
      break;
    case Glyph::Chart:
      p.setPen(QPen(kInk, 1.5));
      p.drawLine(QPointF(3, 2), QPointF(3, 21));
      p.drawLine(QPointF(3, 21), QPointF(22, 21));
      p.setPen(QPen(kRed, 2));
      p.drawPolyline(QPolygonF({{4, 18}, {9, 12}, {13, 14}, {17, 6}, {21, 4}}));
      break;
    case Glyph::Download:
      p.setPen(QPen(kInk, 1));
      p.setBrush(kGreen);
      p.drawPolygon(QPolygonF({{9, 2}, {15, 2}, {15, 10}, {19, 10}, {12, 17}, {5, 10}, {9, 10}}));
      p.setPen(QPen(kInk, 2));
      p.drawPolyline(QPolygonF({{3, 16}, {3, 21}, {21, 21}, {21, 16}}));
      break;
    case Glyph::Layers:
      p.setPen(QPen(kInk, 1));
      p.setBrush(QColor(120, 180, 120));
      p.drawPolygon(QPolygonF({{12, 10}, {22, 15}, {12, 20}, {2, 15}}));
      p.setBrush(QColor(150, 190, 240));
      p.drawPolygon(QPolygonF({{12, 4}, {22, 9}, {12, 14}, {2, 9}}));
      break;
    default:
      break;
  }
}

}  // namespace

QIcon GlyphIcon(Glyph glyph) {
  QImage image(kSize, kSize, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  {
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    if (!DrawControlGlyph(painter, glyph)) DrawToolGlyph(painter, glyph);
  }
  return QIcon(QPixmap::fromImage(image));
}

}  // namespace windlark
