// The skin: the back of a chunky, friendly toy camera. Every control of the
// main window gets its seat here: a dark screen with nine slots, a cream panel
// for the counters, round wells for the buttons.
#include <QLinearGradient>
#include <QPainter>
#include <QRadialGradient>
#include <cmath>

#include "artgen.h"
#include "ui/resources/artwork_table.h"
#include "ui/resources/dialog_templates.h"

namespace {

constexpr int kWidth = 471;
constexpr int kHeight = 349;

QRectF ToRect(const ControlRect& r) { return QRectF(r.left, r.top, r.width, r.height); }

QRectF ControlBox(int id) {
  return ToRect(FindDialogControl(*FindDialogTemplate(kMainWindowTemplate, nullptr), id)->rect);
}

QRectF BoundsOf(int first_id, int last_id) {
  QRectF bounds;
  for (int id = first_id; id <= last_id; ++id) bounds = bounds.united(ControlBox(id));
  return bounds;
}

void DrawSticker(QPainter& p, QPointF centre, double size, const QColor& colour) {
  const QPainterPath star = StarPath(centre, size, size * 0.5);
  p.setPen(QPen(kArtOutline, 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  QLinearGradient fill(centre.x(), centre.y() - size, centre.x(), centre.y() + size);
  fill.setColorAt(0, colour.lighter(125));
  fill.setColorAt(1, colour);
  p.setBrush(fill);
  p.drawPath(star);
}

QRectF BodyRect() { return QRectF(1, 18, 469, 329); }
QRectF FinderRect() { return QRectF(24, 5, 128, 30); }
QRectF ShutterRect() { return QRectF(372, 3, 70, 30); }

void PaintBody(QPainter& p) {
  // Parts that stick out of the body first, so the body's edge overlaps them.
  QLinearGradient shutter(0, 3, 0, 24);
  shutter.setColorAt(0, kArtSun.lighter(115));
  shutter.setColorAt(1, kArtOrange);
  p.setPen(Qt::NoPen);
  p.setBrush(shutter);
  p.drawRoundedRect(ShutterRect(), 12, 12);
  p.setBrush(QColor(255, 255, 255, 110));
  p.drawRoundedRect(QRectF(384, 6, 46, 5), 2.5, 2.5);

  QLinearGradient hump(0, 5, 0, 24);
  hump.setColorAt(0, kArtBodyDark.lighter(120));
  hump.setColorAt(1, kArtBodyDark);
  p.setBrush(hump);
  p.drawRoundedRect(FinderRect(), 12, 12);
  // Viewfinder glass and the ready light.
  QLinearGradient glass(0, 8, 0, 17);
  glass.setColorAt(0, QColor(70, 92, 130));
  glass.setColorAt(1, QColor(12, 22, 40));
  p.setPen(QPen(kArtOutline, 1.2));
  p.setBrush(glass);
  p.drawRoundedRect(QRectF(40, 8.5, 44, 9), 4, 4);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(255, 255, 255, 150));
  p.drawRoundedRect(QRectF(44, 10, 14, 2.5), 1.2, 1.2);
  QRadialGradient led(QPointF(104, 12), 4.5);
  led.setColorAt(0, QColor(190, 255, 170));
  led.setColorAt(0.6, QColor(60, 200, 90));
  led.setColorAt(1, QColor(20, 110, 50));
  p.setPen(QPen(kArtOutline, 1));
  p.setBrush(led);
  p.drawEllipse(QPointF(104, 12.5), 4, 4);

  QLinearGradient body(0, 18, 0, 347);
  body.setColorAt(0, kArtBodyLight);
  body.setColorAt(0.55, QColor(56, 170, 240));
  body.setColorAt(1, kArtBodyDark);
  p.setPen(QPen(QColor(kArtOutline.red(), kArtOutline.green(), kArtOutline.blue(), 200), 2));
  p.setBrush(body);
  p.drawRoundedRect(BodyRect(), 40, 40);

  // A bevel: light along the top of the face, a soft shadow along its bottom.
  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(QColor(255, 255, 255, 120), 2));
  p.drawRoundedRect(BodyRect().adjusted(5, 5, -5, -5), 35, 35);
  p.setPen(QPen(QColor(8, 60, 120, 70), 3));
  p.drawRoundedRect(BodyRect().adjusted(9, 9, -9, -9), 31, 31);
}

void PaintScreen(QPainter& p) {
  const QRectF cells = BoundsOf(110, 118);
  const QRectF bezel = cells.adjusted(-14, -14, 14, 14);
  QLinearGradient frame(bezel.topLeft(), bezel.bottomLeft());
  frame.setColorAt(0, QColor(52, 78, 122));
  frame.setColorAt(1, QColor(22, 36, 62));
  p.setPen(QPen(kArtOutline, 2));
  p.setBrush(frame);
  p.drawRoundedRect(bezel, 16, 16);
  p.setPen(QPen(QColor(255, 255, 255, 60), 1.5));
  p.setBrush(Qt::NoBrush);
  p.drawRoundedRect(bezel.adjusted(3, 3, -3, -3), 13, 13);

  // The display glass the slots are sunk into.
  const QRectF well = cells.adjusted(-6, -6, 6, 6);
  QLinearGradient glass(well.topLeft(), well.bottomLeft());
  glass.setColorAt(0, QColor(6, 12, 26));
  glass.setColorAt(1, QColor(16, 28, 52));
  p.setPen(QPen(QColor(4, 8, 18), 1.5));
  p.setBrush(glass);
  p.drawRoundedRect(well, 8, 8);

  for (int id = 110; id <= 118; ++id) {
    const QRectF slot = ControlBox(id).adjusted(-2, -2, 2, 2);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 40));
    p.drawRect(slot);
    p.setPen(QPen(QColor(110, 150, 210, 150), 1));
    p.drawLine(QPointF(slot.left() + 0.5, slot.bottom() - 0.5), QPointF(slot.right() - 0.5, slot.bottom() - 0.5));
    p.drawLine(QPointF(slot.right() - 0.5, slot.top() + 0.5), QPointF(slot.right() - 0.5, slot.bottom() - 0.5));
  }

  // The glossy sweep of the bezel, kept off the slots.
  QPainterPath shine;
  shine.moveTo(bezel.left() + 14, bezel.top() + 2);
  shine.lineTo(bezel.left() + 110, bezel.top() + 2);
  shine.lineTo(bezel.left() + 60, bezel.top() + 12);
  shine.lineTo(bezel.left() + 4, bezel.top() + 12);
  shine.closeSubpath();
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(255, 255, 255, 45));
  p.drawPath(shine);
}

void PaintCounterPanel(QPainter& p) {
  const QRectF labels = BoundsOf(128, 131);
  const QRectF panel = labels.adjusted(-12, -12, 12, 12);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(8, 60, 120, 90));
  p.drawRoundedRect(panel.translated(0, 2), 12, 12);
  // The labels paint the pattern behind their text; the panel wears the same
  // paper, so they sit in it without visible boxes.
  QBrush paper(PaintPattern());
  paper.setTransform(QTransform::fromTranslate(labels.left(), labels.top()));
  p.setPen(QPen(kArtOutline, 2));
  p.setBrush(paper);
  p.drawRoundedRect(panel, 12, 12);
  QLinearGradient shade(panel.topLeft(), panel.bottomLeft());
  shade.setColorAt(0, QColor(120, 80, 0, 40));
  shade.setColorAt(0.12, QColor(120, 80, 0, 0));
  p.setPen(Qt::NoPen);
  p.setBrush(shade);
  p.drawRoundedRect(panel.adjusted(1, 1, -1, -1), 11, 11);
  // A dotted rule between the page and the selection counters.
  const double y = (ControlBox(129).bottom() + ControlBox(130).top()) / 2.0;
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(255, 170, 90));
  for (double x = panel.left() + 10; x <= panel.right() - 10; x += 7) p.drawEllipse(QPointF(x, y), 1.5, 1.5);
}

void PaintWell(QPainter& p, const QRectF& button) {
  const QPointF c = button.center();
  const double r = button.width() / 2.0 + 4;
  QLinearGradient sunk(c.x(), c.y() - r, c.x(), c.y() + r);
  sunk.setColorAt(0, QColor(10, 70, 130));
  sunk.setColorAt(1, QColor(36, 130, 205));
  p.setPen(QPen(QColor(kArtOutline.red(), kArtOutline.green(), kArtOutline.blue(), 170), 1.5));
  p.setBrush(sunk);
  p.drawEllipse(c, r, r);
  // Light catching the lower lip of the well.
  p.setPen(QPen(QColor(255, 255, 255, 120), 1.5));
  p.setBrush(Qt::NoBrush);
  p.drawArc(QRectF(c.x() - r - 1.5, c.y() - r - 1.5, 2 * r + 3, 2 * r + 3), -30 * 16, -120 * 16);
}

void PaintDeck(QPainter& p) {
  // A rocker tray that pairs the two page buttons.
  const QRectF pages = ControlBox(121).united(ControlBox(122)).adjusted(-6, -6, 6, 6);
  QLinearGradient tray(pages.topLeft(), pages.bottomLeft());
  tray.setColorAt(0, QColor(16, 96, 170));
  tray.setColorAt(1, QColor(40, 140, 215));
  p.setPen(QPen(QColor(kArtOutline.red(), kArtOutline.green(), kArtOutline.blue(), 150), 1.5));
  p.setBrush(tray);
  p.drawRoundedRect(pages, pages.height() / 2, pages.height() / 2);
  for (int id = 120; id <= 127; ++id) PaintWell(p, ControlBox(id));
}

void PaintBrand(QPainter& p) {
  QFont font("DejaVu Sans");
  font.setBold(true);
  font.setPixelSize(21);
  font.setLetterSpacing(QFont::AbsoluteSpacing, -0.5);
  const QString name = "KiddoSnap";
  const QColor letters[] = {QColor(255, 210, 63), QColor(255, 255, 255), QColor(255, 140, 66),
                            QColor(120, 220, 120), QColor(255, 255, 255), QColor(255, 210, 63),
                            QColor(255, 255, 255), QColor(255, 140, 66), QColor(120, 220, 120)};
  const QFontMetricsF metrics(font);
  const double width = metrics.horizontalAdvance(name);
  const QRectF panel = BoundsOf(128, 131).adjusted(-12, -12, 12, 12);
  double x = panel.center().x() - width / 2;
  const double baseline = 72;
  for (int i = 0; i < name.size(); ++i) {
    QPainterPath glyph;
    glyph.addText(QPointF(x, baseline), font, name.mid(i, 1));
    p.setPen(QPen(kArtOutline, 3.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPath(glyph);
    p.setPen(Qt::NoPen);
    p.setBrush(letters[i % 9]);
    p.drawPath(glyph);
    x += metrics.horizontalAdvance(name.mid(i, 1));
  }
  // Little rainbow under the name.
  const QColor stripes[] = {QColor(255, 110, 100), QColor(255, 170, 70), QColor(255, 220, 80),
                            QColor(120, 210, 110), QColor(160, 110, 240)};
  double sx = panel.center().x() - 30;
  for (const QColor& c : stripes) {
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    p.drawRoundedRect(QRectF(sx, 78, 11, 4), 2, 2);
    sx += 12.5;
  }
}

void PaintGrille(QPainter& p) {
  for (int row = 0; row < 6; ++row) {
    for (int col = 0; col < 3; ++col) {
      const QPointF c(13 + col * 8, 70 + row * 9);
      p.setPen(Qt::NoPen);
      p.setBrush(QColor(255, 255, 255, 90));
      p.drawEllipse(c + QPointF(0, 0.8), 2.4, 2.4);
      p.setBrush(QColor(10, 60, 110));
      p.drawEllipse(c, 2.4, 2.4);
    }
  }
}

}  // namespace

QPainterPath SkinOutline() {
  QPainterPath body, finder, shutter;
  body.addRoundedRect(BodyRect(), 40, 40);
  finder.addRoundedRect(FinderRect(), 12, 12);
  shutter.addRoundedRect(ShutterRect(), 12, 12);
  return body.united(finder).united(shutter).simplified();
}

QImage PaintSkin() {
  QImage picture(kWidth, kHeight, QImage::Format_ARGB32_Premultiplied);
  // Pixels on the antialiased rim take the outline's colour, never the key's.
  picture.fill(kArtOutline);
  {
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    PaintBody(p);
    PaintGrille(p);
    PaintScreen(p);
    PaintCounterPanel(p);
    PaintDeck(p);
    PaintBrand(p);
    DrawSticker(p, QPointF(52, 306), 10, kArtSun);
    DrawSticker(p, QPointF(418, 326), 7, QColor(255, 150, 190));
    DrawSticker(p, QPointF(330, 202), 6, QColor(140, 230, 140));
    p.setPen(QPen(kArtOutline, 2.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPath(SkinOutline());
  }

  QImage inside(kWidth, kHeight, QImage::Format_RGB32);
  inside.fill(Qt::black);
  {
    QPainter p(&inside);
    p.setRenderHint(QPainter::Antialiasing);
    p.fillPath(SkinOutline(), Qt::white);
  }
  // The top-left pixel decides the key, so it must stay outside.
  inside.setPixel(0, 0, qRgb(0, 0, 0));
  return QuantizeWithKey(picture, inside, qRgb(kSkinKeyRed, kSkinKeyGreen, kSkinKeyBlue), 255);
}
