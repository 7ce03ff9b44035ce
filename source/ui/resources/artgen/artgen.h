// The artwork generator: paints every picture of the source at its exact size
// and writes the previews. Not part of the source itself.
#pragma once

#include <QColor>
#include <QImage>
#include <QPainterPath>
#include <QString>

// Colours shared by the skin and the controls drawn on it.

inline const QColor kArtOutline(13, 45, 92);
inline const QColor kArtBodyLight(102, 204, 255);
inline const QColor kArtBodyDark(20, 128, 214);
inline const QColor kArtCream(255, 248, 226);
inline const QColor kArtSun(255, 210, 63);
inline const QColor kArtOrange(255, 140, 66);
inline const QColor kArtScreen(24, 38, 64);


// A five-pointed star, point up, for the stickers on the skin and the pattern.
QPainterPath StarPath(QPointF centre, double outer, double inner);

QImage PaintSkin();            // 400, 8-bit indexed, key outside the body
QPainterPath SkinOutline();    // the body's shape in skin coordinates
QImage PaintPattern();         // 401
QImage PaintDialogButtons();   // 402
QImage PaintHandCursor();      // 403
QImage PaintProgressIcon();    // 404
QImage PaintClipMarker();      // 405
QImage PaintButtonStrip(int id);  // 410..417

// Reduces an opaque picture to `colours` entries (median cut, then
// error diffusion) inside `inside`; everything else becomes index 0 = `key`.
// No entry but the key has the key's colour.
QImage QuantizeWithKey(const QImage& picture, const QImage& inside, QRgb key, int colours);

// Writes the contact sheet and the skin previews from the embedded pictures.
bool WritePreviews(const QString& folder);
