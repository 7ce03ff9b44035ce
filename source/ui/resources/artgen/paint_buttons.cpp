// The picture buttons: glossy round candy buttons, one colour per job, with a
// white icon that says what the button does. Four frames per strip: normal,
// hover (brighter, with a sunny ring), pressed (sunk, icon nudged down) and
// disabled (flat grey).
#include <QLinearGradient>
#include <QPainter>
#include <QRadialGradient>
#include <functional>

#include "artgen.h"
#include "ui/resources/artwork_table.h"

namespace {

// Icons are drawn in a 24 x 24 box centred on the button and scaled to it.
using IconPainter = std::function<void(QPainter&, const QColor& ink, const QColor& base)>;

QPen Stroke(const QColor& ink, double width) { return QPen(ink, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin); }

void IconDownload(QPainter& p, const QColor& ink, const QColor&) {
  // An arrow dropping into a tray.
  QPainterPath arrow;
  arrow.moveTo(9.5, 2);
  arrow.lineTo(14.5, 2);
  arrow.lineTo(14.5, 10);
  arrow.lineTo(19, 10);
  arrow.lineTo(12, 17.5);
  arrow.lineTo(5, 10);
  arrow.lineTo(9.5, 10);
  arrow.closeSubpath();
  p.setPen(Stroke(ink, 1.2));
  p.setBrush(ink);
  p.drawPath(arrow);
  p.setPen(Stroke(ink, 2.6));
  p.setBrush(Qt::NoBrush);
  QPainterPath tray;
  tray.moveTo(3, 15);
  tray.lineTo(3, 21);
  tray.lineTo(21, 21);
  tray.lineTo(21, 15);
  p.drawPath(tray);
}

void IconPrevious(QPainter& p, const QColor& ink, const QColor&) {
  QPainterPath t;
  t.moveTo(16, 4);
  t.lineTo(16, 20);
  t.lineTo(5, 12);
  t.closeSubpath();
  p.setPen(Stroke(ink, 2.5));
  p.setBrush(ink);
  p.drawPath(t);
}

void IconNext(QPainter& p, const QColor& ink, const QColor&) {
  QPainterPath t;
  t.moveTo(8, 4);
  t.lineTo(8, 20);
  t.lineTo(19, 12);
  t.closeSubpath();
  p.setPen(Stroke(ink, 2.5));
  p.setBrush(ink);
  p.drawPath(t);
}

void IconTransfer(QPainter& p, const QColor& ink, const QColor& base) {
  // A computer screen receiving a picture: screen, stand, and a little
  // landscape photo flying in with an arrow.
  p.setPen(Stroke(ink, 2.2));
  p.setBrush(Qt::NoBrush);
  p.drawRoundedRect(QRectF(2.5, 3, 19, 13.5), 2, 2);
  p.setBrush(ink);
  p.setPen(Stroke(ink, 1));
  p.drawRect(QRectF(10, 16.5, 4, 3));
  p.drawRoundedRect(QRectF(6.5, 19.5, 11, 2.5), 1, 1);
  // The photo on the screen: a sun and a hill.
  p.setPen(Qt::NoPen);
  p.setBrush(ink);
  QPainterPath hill;
  hill.moveTo(5, 14.5);
  hill.lineTo(10, 9);
  hill.lineTo(13, 12);
  hill.lineTo(15, 10.5);
  hill.lineTo(19.5, 14.5);
  hill.closeSubpath();
  p.drawPath(hill);
  p.drawEllipse(QPointF(16.5, 7), 1.8, 1.8);
  (void)base;
}

void IconClose(QPainter& p, const QColor& ink, const QColor&) {
  p.setPen(Stroke(ink, 4));
  p.drawLine(QPointF(6, 6), QPointF(18, 18));
  p.drawLine(QPointF(18, 6), QPointF(6, 18));
}

void IconSelectAll(QPainter& p, const QColor& ink, const QColor& base) {
  p.setPen(Qt::NoPen);
  p.setBrush(ink);
  for (int row = 0; row < 3; ++row) {
    for (int col = 0; col < 3; ++col) p.drawRoundedRect(QRectF(2 + col * 6.6, 2 + row * 6.6, 5.2, 5.2), 1.2, 1.2);
  }
  // A bold tick over the grid, outlined in the button's colour so it stands apart.
  QPainterPath tick;
  tick.moveTo(9, 15);
  tick.lineTo(14, 20.5);
  tick.lineTo(23, 8.5);
  p.setBrush(Qt::NoBrush);
  p.setPen(Stroke(base.darker(150), 6.5));
  p.drawPath(tick);
  p.setPen(Stroke(ink == Qt::white ? kArtSun : ink, 3.4));
  p.drawPath(tick);
}

void IconEditImage(QPainter& p, const QColor& ink, const QColor&) {
  // Brightness and contrast: a sun whose disc is half filled.
  const QPointF c(12, 12);
  p.setPen(Stroke(ink, 2.2));
  for (int i = 0; i < 8; ++i) {
    QTransform t;
    t.translate(c.x(), c.y());
    t.rotate(i * 45);
    p.drawLine(t.map(QPointF(0, -8)), t.map(QPointF(0, -10.5)));
  }
  p.setBrush(Qt::NoBrush);
  p.drawEllipse(c, 5.5, 5.5);
  QPainterPath half;
  half.moveTo(c.x(), c.y() - 5.5);
  half.arcTo(QRectF(c.x() - 5.5, c.y() - 5.5, 11, 11), 90, 180);
  half.closeSubpath();
  p.setPen(Qt::NoPen);
  p.setBrush(ink);
  p.drawPath(half);
}

void IconSave(QPainter& p, const QColor& ink, const QColor& base) {
  // A floppy disk: body, metal shutter, label.
  QPainterPath disk;
  disk.moveTo(3, 4.5);
  disk.quadTo(3, 3, 4.5, 3);
  disk.lineTo(17.5, 3);
  disk.lineTo(21, 6.5);
  disk.lineTo(21, 19.5);
  disk.quadTo(21, 21, 19.5, 21);
  disk.lineTo(4.5, 21);
  disk.quadTo(3, 21, 3, 19.5);
  disk.closeSubpath();
  p.setPen(Qt::NoPen);
  p.setBrush(ink);
  p.drawPath(disk);
  p.setBrush(base);
  p.drawRoundedRect(QRectF(7, 3, 9, 6), 0.8, 0.8);
  p.setBrush(ink);
  p.drawRect(QRectF(12.5, 4, 2, 4));
  p.setBrush(base);
  p.drawRoundedRect(QRectF(6, 12.5, 12, 7), 1, 1);
  p.setPen(Stroke(ink, 1));
  p.drawLine(QPointF(8, 15), QPointF(16, 15));
  p.drawLine(QPointF(8, 17.5), QPointF(14, 17.5));
}

struct ButtonLook {
  int id;
  QColor base;
  IconPainter icon;
  double icon_scale;  // of the 24-pixel icon box to the button's diameter
};

const ButtonLook* LookFor(int id) {
  static const ButtonLook looks[] = {
      {410, QColor(46, 184, 92), IconDownload, 0.52},
      {411, QColor(70, 86, 220), IconPrevious, 0.55},
      {412, QColor(70, 86, 220), IconNext, 0.55},
      {413, QColor(255, 134, 40), IconTransfer, 0.56},
      {414, QColor(238, 72, 88), IconClose, 0.5},
      {415, QColor(150, 90, 230), IconSelectAll, 0.52},
      {416, QColor(236, 80, 160), IconEditImage, 0.56},
      {417, QColor(30, 170, 190), IconSave, 0.52},
  };
  for (const ButtonLook& look : looks) {
    if (look.id == id) return &look;
  }
  return nullptr;
}

void PaintFrame(QPainter& p, const ButtonLook& look, double size, ButtonFrame frame) {
  const QPointF c(size / 2, size / 2);
  const double r = size / 2 - 1.5;
  const bool disabled = frame == kFrameDisabled;
  const bool pressed = frame == kFramePressed;
  const bool hover = frame == kFrameHover;
  QColor base = disabled ? QColor(170, 178, 188) : look.base;
  if (hover) base = base.lighter(118);
  if (pressed) base = base.darker(118);

  // Soft drop shadow (none when pressed: the button sits in its well).
  if (!pressed) {
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 20, 50, disabled ? 35 : 70));
    p.drawEllipse(c + QPointF(0, 1.2), r, r);
  }
  if (hover) {
    p.setPen(QPen(QColor(255, 226, 90), 2.6));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(c, r - 0.3, r - 0.3);
  }
  const double body_r = hover ? r - 2.2 : r - 0.6;
  QRadialGradient fill(c + QPointF(-body_r * 0.35, pressed ? body_r * 0.3 : -body_r * 0.45), body_r * 1.6);
  fill.setColorAt(0, base.lighter(disabled ? 112 : 140));
  fill.setColorAt(0.55, base);
  fill.setColorAt(1, base.darker(disabled ? 115 : 145));
  p.setPen(QPen(disabled ? QColor(120, 128, 140) : base.darker(175), 1.3));
  p.setBrush(fill);
  p.drawEllipse(c, body_r, body_r);

  if (!pressed && !disabled) {
    // Candy gloss over the top half.
    QLinearGradient gloss(0, c.y() - body_r, 0, c.y());
    gloss.setColorAt(0, QColor(255, 255, 255, 170));
    gloss.setColorAt(1, QColor(255, 255, 255, 10));
    p.setPen(Qt::NoPen);
    p.setBrush(gloss);
    p.drawEllipse(QRectF(c.x() - body_r * 0.72, c.y() - body_r * 0.92, body_r * 1.44, body_r * 0.95));
  }
  if (pressed) {
    // Sunk: a shadow along the inside of the top edge.
    QRadialGradient inner(c + QPointF(0, body_r * 0.25), body_r);
    inner.setColorAt(0.75, QColor(0, 0, 0, 0));
    inner.setColorAt(1, QColor(0, 0, 0, 90));
    p.setPen(Qt::NoPen);
    p.setBrush(inner);
    p.drawEllipse(c, body_r, body_r);
  }

  const double icon_size = size * look.icon_scale;
  const double scale = icon_size / 24.0;
  const QPointF nudge = pressed ? QPointF(0.6, 1.0) : QPointF(0, 0);
  const QColor ink = disabled ? QColor(236, 238, 242) : QColor(Qt::white);
  p.save();
  p.translate(c.x() - icon_size / 2 + nudge.x(), c.y() - icon_size / 2 + nudge.y());
  p.scale(scale, scale);
  if (!disabled) {
    // A faint drop shadow makes the white icon pop off bright colours.
    p.save();
    p.translate(0, 1.0 / scale);
    look.icon(p, QColor(0, 0, 0, 70), QColor(0, 0, 0, 0));
    p.restore();
  }
  look.icon(p, ink, base);
  p.restore();
}

}  // namespace

QImage PaintButtonStrip(int id) {
  const ArtworkEntry* entry = FindArtwork(id);
  const ButtonLook* look = LookFor(id);
  if (entry == nullptr || look == nullptr) return {};
  const int frame = entry->width / entry->frames;
  QImage strip(entry->width, entry->height, QImage::Format_ARGB32_Premultiplied);
  strip.fill(Qt::transparent);
  QPainter p(&strip);
  p.setRenderHint(QPainter::Antialiasing);
  for (int f = 0; f < entry->frames; ++f) {
    p.save();
    p.setClipRect(f * frame, 0, frame, entry->height);
    p.translate(f * frame, 0);
    PaintFrame(p, *look, frame, static_cast<ButtonFrame>(f));
    p.restore();
  }
  p.end();
  return strip.convertToFormat(QImage::Format_ARGB32);
}
