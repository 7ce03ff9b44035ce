// Natural-looking generated scenes for the virtual camera: landscapes with
// sky, clouds, sun, mountains, hills, trees and a lake, varied by a seed. The
// frames of a clip pan across the landscape while the clouds drift and a ball
// bounces through the picture, so consecutive frames really differ.
#pragma once

#include <cstdint>
#include <vector>

#include "simcam.h"

// Top-down RGB24 rows, width x height pixels. The same scene looks the same at
// every size.
// A well-mixed 32-bit hash: the simulator's one source of reproducible randomness.
uint32_t SceneHash(uint32_t x);

std::vector<uint8_t> RenderScene(const SimScene& scene, int width, int height);
