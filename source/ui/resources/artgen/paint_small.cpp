// The small pictures: the label pattern, the adjustment dialog's buttons, the
// hand cursor, the progress icon and the clip marker.
#include <QLinearGradient>
#include <QPainter>
#include <QRadialGradient>
#include <cmath>

#include "artgen.h"
#include "ui/resources/artwork_table.h"

namespace {

}  // namespace

QImage PaintPattern() {
  // Cream paper with pastel confetti: light enough everywhere that blue text
  // keeps a strong contrast, and seamless when tiled.
  QImage tile(100, 100, QImage::Format_RGB32);
  tile.fill(kArtCream);
  QPainter p(&tile);
  p.setRenderHint(QPainter::Antialiasing);
  struct Dot {
    double x, y, r;
    QColor colour;
    bool star;
  };
  const Dot dots[] = {
      {12, 14, 4, QColor(255, 226, 160), false}, {58, 8, 3, QColor(200, 236, 214), false},
      {88, 30, 5, QColor(255, 214, 204), true},  {34, 44, 3.5, QColor(214, 228, 255), false},
      {72, 62, 4, QColor(255, 226, 160), false}, {6, 74, 5, QColor(200, 236, 214), true},
      {44, 88, 3, QColor(255, 214, 204), false}, {96, 92, 3.5, QColor(214, 228, 255), false},
      {26, 64, 2.2, QColor(255, 236, 190), false}, {80, 4, 2.2, QColor(236, 222, 255), false},
      {52, 34, 2, QColor(255, 236, 190), false},
  };
  p.setPen(Qt::NoPen);
  for (const Dot& d : dots) {
    for (int dx = -100; dx <= 100; dx += 100) {
      for (int dy = -100; dy <= 100; dy += 100) {
        const QPointF c(d.x + dx, d.y + dy);
        // Half-way to the paper: a texture, not a distraction behind text.
        p.setBrush(QColor((d.colour.red() + kArtCream.red()) / 2, (d.colour.green() + kArtCream.green()) / 2,
                          (d.colour.blue() + kArtCream.blue()) / 2));
        if (d.star) p.drawPath(StarPath(c, d.r * 1.4, d.r * 0.65));
        else p.drawEllipse(c, d.r, d.r);
      }
    }
  }
  return tile;
}

QImage PaintDialogButtons() {
  QImage strip(216, 36, QImage::Format_ARGB32_Premultiplied);
  strip.fill(Qt::transparent);
  QPainter p(&strip);
  p.setRenderHint(QPainter::Antialiasing);
  for (int f = 0; f < 3; ++f) {
    const bool hover = f == 1, pressed = f == 2;
    const QRectF pill = QRectF(f * 72, 0, 72, 36).adjusted(2.5, 2.5, -2.5, -3.5);
    QColor base(34, 102, 204);
    if (hover) base = base.lighter(110);
    if (pressed) base = base.darker(120);
    if (!pressed) {
      p.setPen(Qt::NoPen);
      p.setBrush(QColor(0, 20, 60, 70));
      p.drawRoundedRect(pill.translated(0, 1.5), 14, 14);
    }
    if (hover) {
      p.setPen(QPen(QColor(255, 226, 90), 2.4));
      p.setBrush(Qt::NoBrush);
      p.drawRoundedRect(pill.adjusted(-1, -1, 1, 1), 15, 15);
    }
    QLinearGradient fill(pill.topLeft(), pill.bottomLeft());
    fill.setColorAt(0, pressed ? base.darker(115) : base.lighter(130));
    fill.setColorAt(1, pressed ? base.lighter(110) : base.darker(120));
    p.setPen(QPen(base.darker(170), 1.2));
    p.setBrush(fill);
    p.drawRoundedRect(pill, 14, 14);
    if (!pressed) {
      QLinearGradient gloss(0, pill.top(), 0, pill.center().y());
      gloss.setColorAt(0, QColor(255, 255, 255, 120));
      gloss.setColorAt(1, QColor(255, 255, 255, 0));
      p.setPen(Qt::NoPen);
      p.setBrush(gloss);
      // Kept to the top edge: the middle stays dark for the white label.
      p.drawRoundedRect(QRectF(pill.left() + 8, pill.top() + 1.5, pill.width() - 16, 8), 4, 4);
    }
  }
  p.end();
  return strip.convertToFormat(QImage::Format_ARGB32);
}

QImage PaintHandCursor() {
  // The pointing hand; its index finger tip is the hot spot.
  QImage cursor(32, 32, QImage::Format_ARGB32_Premultiplied);
  cursor.fill(Qt::transparent);
  QPainter p(&cursor);
  p.setRenderHint(QPainter::Antialiasing);
  QPainterPath finger, knuckles, thumb, palm;
  finger.addRoundedRect(QRectF(8.5, 2, 5.5, 15), 2.75, 2.75);
  knuckles.addRoundedRect(QRectF(13.5, 10, 5, 9), 2.5, 2.5);
  knuckles.addRoundedRect(QRectF(18, 11, 5, 9), 2.5, 2.5);
  knuckles.addRoundedRect(QRectF(22.5, 12.5, 4.5, 9), 2.25, 2.25);
  palm.addRoundedRect(QRectF(8.5, 14, 18.5, 14), 5, 5);
  QTransform tilt;
  // The thumb rises up and to the left from the side of the palm.
  tilt.translate(10.5, 22);
  tilt.rotate(40);
  QPainterPath thumb_shape;
  thumb_shape.addRoundedRect(QRectF(-9, -2.75, 10.5, 5.5), 2.75, 2.75);
  thumb = tilt.map(thumb_shape);
  const QPainterPath hand = finger.united(knuckles).united(palm).united(thumb).simplified();
  p.setPen(QPen(QColor(0, 0, 0), 1.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  QLinearGradient glove(0, 0, 0, 30);
  glove.setColorAt(0, QColor(255, 255, 255));
  glove.setColorAt(1, QColor(226, 232, 240));
  p.setBrush(glove);
  p.drawPath(hand);
  // Creases between the folded fingers.
  p.setPen(QPen(QColor(0, 0, 0, 150), 1));
  p.drawLine(QPointF(18, 13), QPointF(18, 18));
  p.drawLine(QPointF(22.5, 14), QPointF(22.5, 19));
  p.end();
  return cursor.convertToFormat(QImage::Format_ARGB32);
}

QImage PaintProgressIcon() {
  // A little camera sending a picture down: "busy with your photos".
  QImage icon(32, 32, QImage::Format_ARGB32_Premultiplied);
  icon.fill(Qt::transparent);
  QPainter p(&icon);
  p.setRenderHint(QPainter::Antialiasing);
  const QColor outline = kArtOutline;
  p.setPen(QPen(outline, 1.4));
  QLinearGradient top(0, 4, 0, 9);
  top.setColorAt(0, kArtSun);
  top.setColorAt(1, kArtOrange);
  p.setBrush(top);
  p.drawRoundedRect(QRectF(19, 3.5, 8, 5), 2, 2);
  QLinearGradient body(0, 7, 0, 27);
  body.setColorAt(0, kArtBodyLight);
  body.setColorAt(1, kArtBodyDark);
  p.setBrush(body);
  p.drawRoundedRect(QRectF(2, 7, 28, 20), 5, 5);
  QRadialGradient lens(QPointF(14, 15.5), 7);
  lens.setColorAt(0, QColor(140, 220, 255));
  lens.setColorAt(0.5, QColor(40, 90, 170));
  lens.setColorAt(1, QColor(10, 30, 70));
  p.setBrush(QColor(240, 246, 255));
  p.drawEllipse(QPointF(14, 17), 7.5, 7.5);
  p.setBrush(lens);
  p.drawEllipse(QPointF(14, 17), 5, 5);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(255, 255, 255, 200));
  p.drawEllipse(QPointF(12.3, 15.2), 1.5, 1.5);
  p.setBrush(QColor(255, 226, 90));
  p.drawEllipse(QPointF(6.5, 11), 1.8, 1.8);
  // Green badge with a down arrow.
  p.setPen(QPen(QColor(255, 255, 255), 1.2));
  p.setBrush(QColor(46, 184, 92));
  p.drawEllipse(QPointF(25, 24), 6.2, 6.2);
  QPainterPath arrow;
  arrow.moveTo(23.6, 20);
  arrow.lineTo(26.4, 20);
  arrow.lineTo(26.4, 23.5);
  arrow.lineTo(28.5, 23.5);
  arrow.lineTo(25, 27.8);
  arrow.lineTo(21.5, 23.5);
  arrow.lineTo(23.6, 23.5);
  arrow.closeSubpath();
  p.setPen(Qt::NoPen);
  p.setBrush(Qt::white);
  p.drawPath(arrow);
  p.end();
  return icon.convertToFormat(QImage::Format_ARGB32);
}

QImage PaintClipMarker() {
  // A film-strip frame with a play mark; dark with a sunny rim so it reads on
  // bright and dark thumbnails alike.
  QImage marker(20, 20, QImage::Format_RGB32);
  marker.fill(QColor(255, 210, 63));
  QPainter p(&marker);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(24, 24, 30));
  p.drawRect(QRectF(1, 1, 18, 18));
  p.setBrush(QColor(250, 250, 250));
  for (int i = 0; i < 4; ++i) {
    p.drawRoundedRect(QRectF(2.5 + i * 4.2, 2.3, 2.4, 2.2), 0.6, 0.6);
    p.drawRoundedRect(QRectF(2.5 + i * 4.2, 15.5, 2.4, 2.2), 0.6, 0.6);
  }
  QPainterPath play;
  play.moveTo(7.5, 6.3);
  play.lineTo(14, 10);
  play.lineTo(7.5, 13.7);
  play.closeSubpath();
  p.setBrush(QColor(255, 210, 63));
  p.drawPath(play);
  p.end();
  return marker;
}
