// Development of a raw frame (kx3300_ip.h) into 24-bit pixels: black level,
// expansion, white balance and brightness on every sample, the demosaic, the
// mirror, the row interpolation of half-height pictures, contrast, and the
// bottom-up blue-green-red rows a bitmap holds.
#pragma once

#include <cstddef>
#include <cstdint>

struct DevelopRequest {
  int width = 0;
  int height = 0;              // rows as stored
  int mode = 0;
  int param20 = 0;
  int param11_flag = 0;
  bool restore_height = false;  // develop a half-height frame to 2 x height rows
  double brightness = 1.0;
  double contrast = 1.0;
  double quality = 1.0;
};

// Rows of the developed picture, or 0 when the request is unusable (a side
// outside 1..KX3300_IP_MAX_SIDE).
int DevelopedHeight(const DevelopRequest& request);

// Reads exactly width x height + 4 bytes of `raw` and writes DevelopedHeight
// bottom-up rows of 3 x width bytes into `pixels`. False (nothing written) for
// an unusable request or when memory runs out.
bool DevelopRawFrame(const DevelopRequest& request, const uint8_t* raw, uint8_t* pixels);
