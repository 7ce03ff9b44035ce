#include "export/jpeg_color.h"

#include <cstddef>

namespace {

uint8_t Clamp(int value) { return static_cast<uint8_t>(value < 0 ? 0 : (value > 255 ? 255 : value)); }

uint8_t Luminance(int b, int g, int r) { return Clamp((29 * b + 150 * g + 77 * r) >> 8); }
uint8_t BlueDifference(int b, int g, int r) { return Clamp(((128 * b - 43 * r - 85 * g) >> 8) + 128); }
uint8_t RedDifference(int b, int g, int r) { return Clamp(((128 * r - 21 * b - 107 * g) >> 8) + 128); }

}  // namespace

void ConvertBgrToYcc422(uint8_t* pixels, unsigned width, unsigned height) {
  const std::size_t in_row = 3 * static_cast<std::size_t>(width);
  const std::size_t out_row = 2 * static_cast<std::size_t>(width) + (width & 1);
  // Every write lands at or before the bytes read for it, and rows shrink, so
  // nothing is overwritten before it has been read.
  for (std::size_t y = 0; y < height; ++y) {
    const uint8_t* in = pixels + y * in_row;
    uint8_t* out = pixels + y * out_row;
    for (unsigned pair = 0; pair < width / 2; ++pair, in += 6, out += 4) {
      const int b0 = in[0], g0 = in[1], r0 = in[2], b1 = in[3], g1 = in[4], r1 = in[5];
      out[0] = Luminance(b0, g0, r0);
      out[1] = BlueDifference(b0, g0, r0);
      out[2] = Luminance(b1, g1, r1);
      out[3] = RedDifference(b0, g0, r0);
    }
    if (width & 1) {
      const int b = in[0], g = in[1], r = in[2];
      out[0] = Luminance(b, g, r);
      out[1] = BlueDifference(b, g, r);
      out[2] = RedDifference(b, g, r);
    }
  }
}
