// The embedded pictures. The source is a shared object loaded into someone
// else's process, so its Qt resources are registered on demand by the UI
// rather than by a static initialiser.
#pragma once

#include <QCursor>
#include <QImage>
#include <QString>
#include <vector>

#include "ui/resources/skin_region.h"

// Registers the embedded art with Qt's resource system; cheap to call again.
void RegisterArtwork();

// ":/snapsrc/art/<file>" for a picture id; empty for an unknown id.
QString ArtworkPath(int id);

// The picture as stored (the skin stays 8-bit indexed); a null image for an
// unknown id. Registers the art first.
QImage LoadArtwork(int id);

// The hand shown over tracked controls, with its hot spot on the finger tip.
// Needs a GUI application.
QCursor LoadHandCursor();

// The window's shape from a loaded skin by the run rule of skin_region.h:
// an 8-bit skin compares colour-table entries, 16, 24 and 32-bit skins whole
// pixel values. False for any other format.
bool SkinImageRectangles(const QImage& skin, std::vector<RegionRect>* rects);
