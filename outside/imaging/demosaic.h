// Demosaicing: from one colour sample per site to three per pixel. Both
// methods work on samples already brought to display values (0..1), where the
// eye judges the errors, and leave the measured sample of every site as it is.
#pragma once

#include <vector>

struct ColourPlanes {
  int width = 0;
  int height = 0;
  std::vector<float> plane[3];  // red, green, blue; rows top-down
};

// Gradient-corrected linear interpolation: each missing colour is the bilinear
// estimate corrected by the Laplacian of the site's own colour. One pass, fixed
// 5 x 5 kernels.
void DemosaicGradientCorrected(const std::vector<float>& samples, int width, int height, int mode,
                               ColourPlanes& out);

// Edge-directed: green is interpolated along the direction (horizontal or
// vertical) in which it changes least, red and blue follow as colour
// differences to green, and a median over the colour differences removes the
// false colour that fine detail leaves behind.
void DemosaicEdgeDirected(const std::vector<float>& samples, int width, int height, int mode, ColourPlanes& out);
