// Photos from a folder of image files, for the daemon: every file Qt can read,
// in name order, scaled to fill the photo size and cut to its shape.
#pragma once

#include <string>
#include <vector>

#include "simcam.h"

// Appends the folder's images to `pictures`; returns how many were added and
// names the files it could not read in `skipped`.
int LoadImageFolder(const std::string& folder, int width, int height, std::vector<SimPicture>& pictures,
                    std::vector<std::string>* skipped);
