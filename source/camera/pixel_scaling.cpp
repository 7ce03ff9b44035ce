#include "camera/pixel_scaling.h"

#include <algorithm>
#include <cstddef>

void ScalePixels(const uint8_t* src, int sw, int sh, uint8_t* dst, int dw, int dh) {
  if (src == nullptr || dst == nullptr || sw <= 0 || sh <= 0 || dw <= 0 || dh <= 0) return;
  const std::size_t src_stride = static_cast<std::size_t>(sw) * 3;
  for (int y = 0; y < dh; ++y) {
    // 64-bit products: a 4000-pixel side times 256 times 4000 overflows 32 bits.
    const int64_t vy = static_cast<int64_t>(y) * sh * 256 / dh;
    const int sy = static_cast<int>(vy / 256);
    const int fy = static_cast<int>(vy % 256);
    const uint8_t* row0 = src + static_cast<std::size_t>(sy) * src_stride;
    const uint8_t* row1 = sy < sh - 1 ? row0 + src_stride : row0;
    uint8_t* out = dst + static_cast<std::size_t>(y) * dw * 3;
    for (int x = 0; x < dw; ++x) {
      const int64_t vx = static_cast<int64_t>(x) * sw * 256 / dw;
      const int sx = static_cast<int>(vx / 256);
      const int fx = static_cast<int>(vx % 256);
      const int right = sx < sw - 1 ? 3 : 0;
      const uint8_t* p00 = row0 + static_cast<std::size_t>(sx) * 3;
      const uint8_t* p01 = p00 + right;
      const uint8_t* p10 = row1 + static_cast<std::size_t>(sx) * 3;
      const uint8_t* p11 = p10 + right;
      for (int c = 0; c < 3; ++c) {
        const uint32_t top = static_cast<uint32_t>(p00[c] * (256 - fx) + p01[c] * fx);
        const uint32_t bottom = static_cast<uint32_t>(p10[c] * (256 - fx) + p11[c] * fx);
        out[x * 3 + c] = static_cast<uint8_t>((bottom * static_cast<uint32_t>(fy) + top * static_cast<uint32_t>(256 - fy)) >> 16);
      }
    }
  }
}

void ExchangeRowPairs(uint8_t* data, int width, int height) {
  if (data == nullptr || width <= 0) return;
  const std::size_t w = static_cast<std::size_t>(width);
  for (int g = 0; 4 * g + 2 < height; ++g) {
    std::swap_ranges(data + (4 * g + 1) * w, data + (4 * g + 2) * w, data + (4 * g + 2) * w);
  }
}
