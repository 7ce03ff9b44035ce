// Natural-looking test scenes made in code: a sky and ground of smooth
// gradients, soft texture, and shapes with lens-soft edges. The layout is
// given in fractions of the picture, so every size shows the same scene.
#pragma once

#include <cstdint>
#include <vector>

// Top-down RGB24 rows of width x height pixels; `variant` picks one of a few
// deterministic scenes.
std::vector<uint8_t> MakeScene(int width, int height, int variant = 0);

// Peak signal-to-noise ratio in dB between top-down RGB24 pixels and the
// bottom-up blue-green-red rows of a developed picture of the same size.
double PictureSnr(const std::vector<uint8_t>& rgb, const uint8_t* bottom_up_bgr, int width, int height);
