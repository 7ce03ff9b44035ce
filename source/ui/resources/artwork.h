// The embedded pictures. The source is a shared object loaded into someone
// else's process, so its Qt resources are registered on demand by the UI
// rather than by a static initialiser.
#pragma once

#include <QImage>
#include <QString>

// Registers the embedded art with Qt's resource system; cheap to call again.
void RegisterArtwork();

// ":/snapsrc/art/<file>" for a picture id; empty for an unknown id.
QString ArtworkPath(int id);

// The picture as stored (the skin stays 8-bit indexed); a null image for an
// unknown id. Registers the art first.
QImage LoadArtwork(int id);
