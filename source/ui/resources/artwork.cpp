#include "ui/resources/artwork.h"

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
