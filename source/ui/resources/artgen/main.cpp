// snapsrc_artgen write <folder>    paints every picture into <folder> (the committed art)
// snapsrc_artgen preview <folder>  writes the contact sheet and skin previews from the embedded art
#include <QDir>
#include <QGuiApplication>
#include <QImageWriter>
#include <cstdio>
#include <cstring>

#include "artgen.h"
#include "ui/resources/artwork_table.h"

namespace {

QImage Paint(const ArtworkEntry& entry) {
  switch (entry.id) {
    case kSkinBitmap: return PaintSkin();
    case kPatternBitmap: return PaintPattern();
    case kDialogButtonStrip: return PaintDialogButtons();
    case kHandCursor: return PaintHandCursor();
    case kProgressIcon: return PaintProgressIcon();
    case kClipMarker: return PaintClipMarker();
    default: return PaintButtonStrip(entry.id);
  }
}

bool WriteArt(const QString& folder) {
  QDir().mkpath(folder);
  bool ok = true;
  for (const ArtworkEntry& entry : kArtwork) {
    const QImage image = Paint(entry);
    const QString file = folder + "/" + QString::fromUtf8(entry.file.data(), qsizetype(entry.file.size()));
    if (image.width() != entry.width || image.height() != entry.height) {
      std::fprintf(stderr, "%d painted at the wrong size\n", entry.id);
      ok = false;
      continue;
    }
    QImageWriter writer(file);
    if (!writer.write(image)) {
      std::fprintf(stderr, "cannot write %s: %s\n", qPrintable(file), qPrintable(writer.errorString()));
      ok = false;
    }
  }
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3 || (std::strcmp(argv[1], "write") != 0 && std::strcmp(argv[1], "preview") != 0)) {
    std::fprintf(stderr, "usage: %s write|preview <folder>\n", argv[0]);
    return 2;
  }
  // Painting text needs a GUI application, never a display.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  const QString folder = QString::fromLocal8Bit(argv[2]);
  const bool ok = std::strcmp(argv[1], "write") == 0 ? WriteArt(folder) : WritePreviews(folder);
  return ok ? 0 : 1;
}
