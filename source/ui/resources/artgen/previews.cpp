// Pictures for people: a contact sheet of every embedded picture, and the skin
// with its controls in place, in three languages and two states. They are
// built from the embedded resources, so they show exactly what ships.
#include <QDir>
#include <QFont>
#include <QFontMetrics>
#include <QLinearGradient>
#include <QPainter>
#include <QRadialGradient>
#include <vector>

#include "artgen.h"
#include "ui/resources/artwork.h"
#include "ui/resources/artwork_table.h"
#include "ui/resources/dialog_templates.h"
#include "ui/resources/skin_region.h"

namespace {

QFont UiFont(int pixels, bool bold = false) {
  QFont font(QStringList{"DejaVu Sans", "WenQuanYi Micro Hei"});
  font.setPixelSize(pixels);
  font.setBold(bold);
  return font;
}

void Checkerboard(QPainter& p, const QRect& area) {
  for (int y = area.top(); y < area.bottom(); y += 8) {
    for (int x = area.left(); x < area.right(); x += 8) {
      const bool dark = (((x - area.left()) / 8) + ((y - area.top()) / 8)) % 2;
      p.fillRect(QRect(x, y, 8, 8).intersected(area), dark ? QColor(200, 204, 210) : QColor(232, 235, 240));
    }
  }
}

// A made-up snapshot, the kind a child takes: sky, ground, and something in it.
QImage SampleThumbnail(int kind) {
  QImage t(80, 60, QImage::Format_RGB32);
  QPainter p(&t);
  p.setRenderHint(QPainter::Antialiasing);
  struct Scene {
    QColor sky_top, sky_bottom, ground, thing;
  } scenes[] = {
      {QColor(90, 170, 255), QColor(200, 235, 255), QColor(90, 190, 80), QColor(255, 220, 60)},
      {QColor(255, 120, 60), QColor(255, 210, 120), QColor(70, 50, 90), QColor(255, 245, 180)},
      {QColor(60, 140, 230), QColor(160, 220, 255), QColor(240, 215, 150), QColor(40, 120, 200)},
      {QColor(10, 20, 70), QColor(50, 60, 130), QColor(30, 50, 40), QColor(250, 250, 210)},
      {QColor(170, 200, 230), QColor(235, 245, 255), QColor(250, 252, 255), QColor(230, 80, 70)},
      {QColor(120, 200, 255), QColor(220, 245, 255), QColor(120, 200, 90), QColor(240, 90, 150)},
  };
  const Scene& s = scenes[kind % 6];
  QLinearGradient sky(0, 0, 0, 40);
  sky.setColorAt(0, s.sky_top);
  sky.setColorAt(1, s.sky_bottom);
  p.fillRect(t.rect(), sky);
  p.setPen(Qt::NoPen);
  p.setBrush(s.thing);
  if (kind % 6 == 3) {
    p.drawEllipse(QPointF(60, 14), 7, 7);
    p.setBrush(QColor(255, 255, 255));
    for (int i = 0; i < 7; ++i) p.drawEllipse(QPointF(8 + i * 9, 6 + (i * 7) % 17), 0.8, 0.8);
  } else {
    p.drawEllipse(QPointF(16 + (kind * 11) % 48, 14), 7, 7);
  }
  QPainterPath hill;
  hill.moveTo(0, 44);
  hill.cubicTo(20, 34 + kind % 4, 50, 50 - kind % 5, 80, 38);
  hill.lineTo(80, 60);
  hill.lineTo(0, 60);
  hill.closeSubpath();
  p.setBrush(s.ground);
  p.drawPath(hill);
  if (kind % 3 == 0) {
    // A house.
    p.setBrush(QColor(250, 240, 220));
    p.drawRect(QRectF(44, 32, 16, 12));
    p.setBrush(QColor(200, 60, 50));
    QPainterPath roof;
    roof.moveTo(42, 33);
    roof.lineTo(52, 24);
    roof.lineTo(62, 33);
    roof.closeSubpath();
    p.drawPath(roof);
  } else if (kind % 3 == 1) {
    // A balloon.
    p.setBrush(QColor(240, 70, 110));
    p.drawEllipse(QPointF(30, 24), 6, 7.5);
    p.setPen(QPen(QColor(60, 60, 60), 0.8));
    p.drawLine(QPointF(30, 31.5), QPointF(31, 44));
  } else {
    // A tree.
    p.setBrush(QColor(120, 80, 40));
    p.drawRect(QRectF(24, 34, 4, 12));
    p.setBrush(QColor(40, 150, 70));
    p.drawEllipse(QPointF(26, 30), 9, 8);
  }
  return t;
}

struct PreviewState {
  int language_offset;
  bool browsing;  // pictures downloaded; otherwise the window as it starts
  const char* pages;
  const char* selected;
};

QImage SkinPreview(const PreviewState& state) {
  const DialogTemplate& window = *FindDialogTemplate(kMainWindowTemplate, nullptr);
  QImage skin = LoadArtwork(kSkinBitmap);
  const QImage pattern = LoadArtwork(kPatternBitmap);
  const QImage marker = LoadArtwork(kClipMarker);

  // Cut the skin with the very rule the window uses.
  std::vector<RegionRect> rects;
  SkinImageRectangles(skin, &rects);

  const int margin = 40;
  QImage out(skin.width() + 2 * margin, skin.height() + 2 * margin, QImage::Format_ARGB32);
  QPainter p(&out);
  QLinearGradient desk(0, 0, out.width(), out.height());
  desk.setColorAt(0, QColor(66, 78, 96));
  desk.setColorAt(1, QColor(34, 40, 52));
  p.fillRect(out.rect(), desk);
  QRegion shape;
  for (const RegionRect& r : rects) shape += QRect(r.left, r.top, r.right - r.left, r.bottom - r.top);
  p.translate(margin, margin);
  // A drop shadow under the window's shape.
  for (int blur = 6; blur >= 1; --blur) {
    p.setClipRegion(shape.translated(0, blur + 2));
    p.fillRect(QRect(-margin, -margin, out.width(), out.height()), QColor(0, 0, 0, 22));
  }
  p.setClipRegion(shape);
  const QImage skin_rgb = skin.convertToFormat(QImage::Format_RGB32);
  p.drawImage(0, 0, skin_rgb);

  int sample = 0;
  for (const DialogControl& c : window.controls) {
    const QRect r(c.rect.left, c.rect.top, c.rect.width, c.rect.height);
    if (c.kind == ControlKind::kCell) {
      const int i = c.id - 110;
      const bool occupied = state.browsing && i < 9;
      if (!occupied) {
        p.fillRect(r, QColor(0, 0, 96));
      } else {
        p.drawImage(r.topLeft(), SampleThumbnail(sample++));
        if (i == 2 || i == 7) p.drawImage(r.topLeft() + QPoint(1, 1), marker);
      }
      const bool selected = occupied && i != 4;
      p.setPen(QPen(selected ? QColor(255, 64, 64) : QColor(64, 64, 64), 2));
      p.setBrush(Qt::NoBrush);
      p.drawPolygon(QPolygon({r.topLeft(), QPoint(r.right(), r.top()), r.bottomRight(), QPoint(r.left(), r.bottom())}));
    } else if (c.kind == ControlKind::kPictureButton) {
      const QImage strip = LoadArtwork(c.bitmap);
      const int w = strip.width() / 4;
      ButtonFrame frame = kFrameNormal;
      if (!state.browsing && !c.enabled) frame = kFrameDisabled;
      if (state.browsing && c.id == 126) frame = kFrameHover;
      if (state.browsing && c.id == 121) frame = kFramePressed;
      p.drawImage(r.topLeft(), strip, QRect(frame * w, 0, w, strip.height()));
    } else if (c.kind == ControlKind::kLabel) {
      p.setBrushOrigin(r.topLeft());
      p.fillRect(r, QBrush(pattern));
      p.setBrushOrigin(0, 0);
      p.setPen(QColor(0, 0, 255));
      p.setFont(UiFont(12));
      QString text = QString::fromUtf8(ControlText(c, state.language_offset).data(),
                                       qsizetype(ControlText(c, state.language_offset).size()));
      if (c.id == 129) text = state.pages;
      if (c.id == 131) text = state.selected;
      p.drawText(r, Qt::AlignLeft | Qt::AlignVCenter, text);
    }
  }
  p.end();
  return out;
}

QImage ContactSheet() {
  const int width = 1180;
  QImage sheet(width, 1600, QImage::Format_ARGB32);
  sheet.fill(QColor(250, 250, 252));
  QPainter p(&sheet);
  p.setRenderHint(QPainter::Antialiasing);
  p.setRenderHint(QPainter::TextAntialiasing);
  p.setPen(QColor(30, 40, 60));
  p.setFont(UiFont(20, true));
  p.drawText(QPoint(20, 34), "snapsrc artwork - every embedded picture at 1x (and enlarged 2x)");

  int x = 20, y = 60, row_height = 0;
  auto place = [&](int w, int h) {
    if (x + w > width - 20) {
      x = 20;
      y += row_height + 16;
      row_height = 0;
    }
    const QPoint at(x, y);
    x += w + 24;
    row_height = std::max(row_height, h);
    return at;
  };

  for (const ArtworkEntry& e : kArtwork) {
    const QImage image = LoadArtwork(e.id);
    const int scale = e.id == kSkinBitmap ? 1 : 2;
    const QString caption = QString("%1  %2  %3x%4  %5 frame(s)  %6")
                                .arg(e.id)
                                .arg(QString::fromUtf8(e.file.data(), qsizetype(e.file.size())))
                                .arg(image.width())
                                .arg(image.height())
                                .arg(e.frames)
                                .arg(image.format() == QImage::Format_Indexed8
                                         ? QString("8-bit, %1 colours").arg(image.colorCount())
                                         : image.hasAlphaChannel() ? QString("32-bit + alpha") : QString("24-bit"));
    const int w = std::max(image.width() * scale, QFontMetrics(UiFont(12)).horizontalAdvance(caption));
    const int h = image.height() * scale + 22;
    const QPoint at = place(w, h);
    p.setPen(QColor(30, 40, 60));
    p.setFont(UiFont(12));
    p.drawText(at + QPoint(0, 12), caption);
    const QRect target(at + QPoint(0, 20), image.size() * scale);
    Checkerboard(p, target);
    p.save();
    p.setRenderHint(QPainter::SmoothPixmapTransform, false);
    p.drawImage(target, image);
    p.restore();
    if (e.frames > 1) {
      p.setPen(QPen(QColor(255, 0, 160, 120), 1, Qt::DashLine));
      for (int f = 1; f < e.frames; ++f) {
        const int fx = target.left() + f * target.width() / e.frames;
        p.drawLine(fx, target.top(), fx, target.bottom());
      }
    }
    if (e.id == kHandCursor) {
      p.setPen(QPen(QColor(255, 0, 160), 1));
      const QPoint hot = target.topLeft() + QPoint(kHandCursorHotX, kHandCursorHotY) * scale + QPoint(1, 1);
      p.drawEllipse(hot, 3, 3);
    }
    if (e.id == kDialogButtonStrip) {
      // The label the dialog draws on it, in each language.
      const char* labels[] = {"OK", "確定", "默认值"};
      p.setPen(Qt::white);
      p.setFont(UiFont(12 * scale));
      for (int f = 0; f < 3; ++f) {
        const QRect frame(target.left() + f * target.width() / 3, target.top(), target.width() / 3, target.height());
        p.drawText(frame, Qt::AlignCenter, QString::fromUtf8(labels[f]));
      }
    }
    if (e.id == kPatternBitmap) {
      // Blue text on the pattern, as the labels show it.
      p.setPen(QColor(0, 0, 255));
      p.setFont(UiFont(12 * scale));
      p.drawText(target.adjusted(6, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter, QString::fromUtf8("Pages:\n頁數: 01/02"));
    }
    if (e.id == kClipMarker) {
      const QImage thumb = SampleThumbnail(3);
      const QPoint over(target.right() + 12, target.top());
      p.drawImage(QRect(over, QSize(160, 120)), thumb);
      p.drawImage(QRect(over + QPoint(2, 2), QSize(40, 40)), image);
      const QImage light = SampleThumbnail(4);
      const QPoint over2(over.x() + 170, over.y());
      p.drawImage(QRect(over2, QSize(160, 120)), light);
      p.drawImage(QRect(over2 + QPoint(2, 2), QSize(40, 40)), image);
      x = over2.x() + 184;
      row_height = std::max(row_height, 20 + 120);
    }
  }
  p.end();
  return sheet.copy(0, 0, width, std::min(sheet.height(), y + row_height + 20));
}

// A dialog drawn from its template roughly as the widgets will show it: the
// pattern behind everything, blue text, the strip buttons with white labels.
QImage DialogMock(const DialogTemplate& d, int language_offset) {
  const int caption = d.per_language ? 24 : 0;
  QImage out(d.width + 2, d.height + caption + 2, QImage::Format_ARGB32);
  QPainter p(&out);
  p.setRenderHint(QPainter::Antialiasing);
  p.fillRect(out.rect(), QColor(90, 100, 120));
  if (caption > 0) {
    QLinearGradient bar(0, 0, 0, caption);
    bar.setColorAt(0, QColor(70, 150, 230));
    bar.setColorAt(1, QColor(30, 100, 190));
    p.fillRect(QRect(1, 1, d.width, caption), bar);
    p.setPen(Qt::white);
    p.setFont(UiFont(kDialogFontPixels, true));
    const std::string_view title = DialogTitle(d, language_offset);
    p.drawText(QRect(10, 1, d.width - 20, caption), Qt::AlignVCenter,
               QString::fromUtf8(title.data(), qsizetype(title.size())));
  }
  p.translate(1, 1 + caption);
  p.fillRect(QRect(0, 0, d.width, d.height), QBrush(LoadArtwork(kPatternBitmap)));
  p.setFont(UiFont(kDialogFontPixels));
  const QImage strip = LoadArtwork(kDialogButtonStrip);
  for (const DialogControl& c : d.controls) {
    const QRect r(c.rect.left, c.rect.top, c.rect.width, c.rect.height);
    const std::string_view t = ControlText(c, language_offset);
    QString text = QString::fromUtf8(t.data(), qsizetype(t.size()));
    if (c.id == 102 || c.id == 104) text = d.id == kProgressDialogTemplate ? "2/5" : "100";
    p.setPen(QColor(0, 0, 255));
    p.setBrush(Qt::NoBrush);
    switch (c.kind) {
      case ControlKind::kGroupBox: {
        p.setPen(QPen(QColor(120, 140, 180), 1));
        p.drawRoundedRect(QRectF(r).adjusted(0.5, 7.5, -0.5, -0.5), 4, 4);
        const int w = QFontMetrics(p.font()).horizontalAdvance(text) + 8;
        p.fillRect(QRect(r.left() + 8, r.top(), w, 16), QBrush(LoadArtwork(kPatternBitmap)));
        p.setPen(QColor(0, 0, 255));
        p.drawText(QRect(r.left() + 12, r.top(), w, 16), Qt::AlignVCenter, text);
        break;
      }
      case ControlKind::kSlider: {
        p.setPen(QPen(QColor(120, 140, 180), 1));
        p.setBrush(QColor(230, 236, 246));
        p.drawRoundedRect(QRectF(r.left() + 4, r.center().y() - 2, r.width() - 8, 4), 2, 2);
        p.setPen(QPen(QColor(20, 70, 160), 1));
        p.setBrush(QColor(60, 130, 230));
        p.drawEllipse(QPointF(r.left() + r.width() / 2.0, r.center().y() + 0.5), 7, 7);
        break;
      }
      case ControlKind::kCheckBox:
      case ControlKind::kRadioButton: {
        const QRectF mark(r.left() + 2, r.center().y() - 6, 13, 13);
        p.setPen(QPen(QColor(60, 80, 120), 1.2));
        p.setBrush(Qt::white);
        const bool on = c.id == 105 || c.id == 107;
        if (c.kind == ControlKind::kCheckBox) {
          p.drawRoundedRect(mark, 2, 2);
          if (on) {
            p.setPen(QPen(QColor(20, 90, 200), 2));
            p.drawPolyline(QPolygonF({mark.topLeft() + QPointF(3, 6.5), mark.topLeft() + QPointF(5.5, 9.5),
                                      mark.topLeft() + QPointF(10, 3.5)}));
          }
        } else {
          p.drawEllipse(mark);
          if (on) {
            p.setPen(Qt::NoPen);
            p.setBrush(QColor(20, 90, 200));
            p.drawEllipse(mark.center(), 3.2, 3.2);
          }
        }
        p.setPen(QColor(0, 0, 255));
        p.drawText(r.adjusted(kIndicatorRoom, 0, 0, 0), Qt::AlignVCenter, text);
        break;
      }
      case ControlKind::kStripButton: {
        const int w = strip.width() / 3;
        p.drawImage(r.topLeft(), strip, QRect(c.id == 1 ? w : 0, 0, w, strip.height()));
        p.setPen(Qt::white);
        p.drawText(r, Qt::AlignCenter, text);
        break;
      }
      case ControlKind::kEtchedFrame:
        p.setPen(QPen(QColor(150, 150, 160), 1));
        p.drawRect(QRectF(r).adjusted(0.5, 0.5, -1.5, -1.5));
        p.setPen(QPen(Qt::white, 1));
        p.drawRect(QRectF(r).adjusted(1.5, 1.5, -0.5, -0.5));
        break;
      case ControlKind::kIcon:
        p.drawImage(r.topLeft(), LoadArtwork(c.bitmap));
        break;
      case ControlKind::kProgressBar:
        p.setPen(QPen(QColor(120, 140, 180), 1));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(r).adjusted(0.5, 0.5, -0.5, -0.5));
        p.fillRect(QRect(r.left() + 2, r.top() + 2, (r.width() - 4) * 2 / 5, r.height() - 4), QColor(46, 184, 92));
        break;
      default:
        p.drawText(r, (c.centred ? Qt::AlignHCenter : Qt::AlignLeft) | Qt::AlignVCenter, text);
        break;
    }
  }
  p.end();
  return out;
}

QImage DialogSheet() {
  std::vector<QImage> parts;
  for (int offset : {0, 2000, 3000}) parts.push_back(DialogMock(*FindDialogTemplate(kAdjustDialogTemplate, nullptr), offset));
  parts.push_back(DialogMock(*FindDialogTemplate(kProgressDialogTemplate, nullptr), 0));
  int width = 20, height = 0;
  for (const QImage& part : parts) {
    width += part.width() + 20;
    height = std::max(height, part.height());
  }
  QImage sheet(width, height + 40, QImage::Format_ARGB32);
  sheet.fill(QColor(44, 52, 66));
  QPainter p(&sheet);
  int x = 20;
  for (const QImage& part : parts) {
    p.drawImage(x, 20, part);
    x += part.width() + 20;
  }
  p.end();
  return sheet;
}

}  // namespace

bool WritePreviews(const QString& folder) {
  QDir().mkpath(folder);
  bool ok = ContactSheet().save(folder + "/contact-sheet.png");
  ok = DialogSheet().save(folder + "/dialog-preview.png") && ok;
  const PreviewState states[] = {
      {0, true, "01/02", "11/12"},
      {2000, false, "00/00", "00/00"},
      {3000, true, "02/02", "03/12"},
  };
  const char* names[] = {"skin-preview.png", "skin-preview-start-zh_TW.png", "skin-preview-zh_CN.png"};
  for (int i = 0; i < 3; ++i) {
    const QImage preview = SkinPreview(states[i]);
    ok = preview.save(folder + "/" + names[i]) && ok;
    if (i == 0) {
      ok = preview.scaled(preview.size() * 2, Qt::IgnoreAspectRatio, Qt::FastTransformation)
               .save(folder + "/skin-preview@2x.png") && ok;
    }
  }
  return ok;
}
