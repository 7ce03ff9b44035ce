#include "ui/resources/artwork.h"

#include <QPixmap>

#include "ui/resources/artwork_table.h"

// Q_INIT_RESOURCE expands to a declaration plus a call, which must not sit
// inside a namespace; this wrapper keeps it at global scope.
static void InitArtResource() { Q_INIT_RESOURCE(snapsrc_art); }

void RegisterArtwork() {
  static bool registered = false;
  if (registered) return;
  InitArtResource();
  registered = true;
}

QString ArtworkPath(int id) {
  const ArtworkEntry* entry = FindArtwork(id);
  if (entry == nullptr) return {};
  return QStringLiteral(":/snapsrc/art/") +
         QString::fromUtf8(entry->file.data(), static_cast<qsizetype>(entry->file.size()));
}

QImage LoadArtwork(int id) {
  RegisterArtwork();
  const QString path = ArtworkPath(id);
  if (path.isEmpty()) return {};
  return QImage(path);
}

QCursor LoadHandCursor() {
  return QCursor(QPixmap::fromImage(LoadArtwork(kHandCursor)), kHandCursorHotX, kHandCursorHotY);
}

bool SkinImageRectangles(const QImage& skin, std::vector<RegionRect>* rects) {
  rects->clear();
  int bits = 0;
  switch (skin.format()) {
    case QImage::Format_Indexed8: bits = 8; break;
    case QImage::Format_RGB16: bits = 16; break;
    case QImage::Format_RGB888: bits = 24; break;
    case QImage::Format_RGB32:
    case QImage::Format_ARGB32:
    case QImage::Format_ARGB32_Premultiplied: bits = 32; break;
    default: return false;
  }
  // The table must outlive the scan: QImage::colorTable() returns a copy.
  const QList<QRgb> colours = skin.colorTable();
  const std::vector<std::uint32_t> table(colours.begin(), colours.end());
  SkinPixels pixels;
  pixels.width = skin.width();
  pixels.height = skin.height();
  pixels.bits_per_pixel = bits;
  pixels.rows = skin.constBits();
  pixels.stride = static_cast<std::size_t>(skin.bytesPerLine());
  pixels.colour_table = table.data();
  pixels.colour_count = table.size();
  return BuildSkinRectangles(pixels, rects);
}
