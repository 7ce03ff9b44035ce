#include "export/iyuv_convert.h"

// BT.601 limited range in 16-bit fixed point (coefficients x 65536 / 255 of
// the matrix's 219 and 224 scales), rounded to nearest:
//   Y =  16 + ( 16829 R + 33039 G +  6416 B) / 65536
//   U = 128 + ( -9714 R - 19070 G + 28784 B) / 65536
//   V = 128 + ( 28784 R - 24103 G -  4681 B) / 65536
// 8-bit coefficients would be off by one for pure green; these are exact to
// the rounding. The results never leave 16..235 and 16..240, so no clamping.

std::size_t IyuvFrameBytes(int width, int height) {
  if (width <= 0 || height <= 0) return 0;
  std::size_t luma = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
  std::size_t chroma = static_cast<std::size_t>((width + 1) / 2) * static_cast<std::size_t>((height + 1) / 2);
  return luma + 2 * chroma;
}

uint8_t LumaOf(int red, int green, int blue) {
  return static_cast<uint8_t>(((16829 * red + 33039 * green + 6416 * blue + 32768) >> 16) + 16);
}

namespace {

// Rounds 128 + sum / (65536 x count) to nearest, with an offset that keeps
// the division on non-negative values.
inline uint8_t ChromaOf(int weighted_sum, int count) {
  // weighted_sum lies within +-28784 x 255 x count, below 2^25 for 4 pixels.
  const int scale = 65536 * count;
  const int biased = weighted_sum + 128 * scale + scale / 2;
  return static_cast<uint8_t>(biased / scale);
}

// The same for whole squares of four, where the division is a shift.
inline uint8_t SquareChromaOf(int weighted_sum) {
  return static_cast<uint8_t>((weighted_sum + (128 << 18) + (1 << 17)) >> 18);
}

}  // namespace

uint8_t BlueDifferenceOf(int red_sum, int green_sum, int blue_sum, int count) {
  return ChromaOf(-9714 * red_sum - 19070 * green_sum + 28784 * blue_sum, count);
}

uint8_t RedDifferenceOf(int red_sum, int green_sum, int blue_sum, int count) {
  return ChromaOf(28784 * red_sum - 24103 * green_sum - 4681 * blue_sum, count);
}

void BgrToIyuv(const uint8_t* bgr, int width, int height, uint8_t* iyuv) {
  if (width <= 0 || height <= 0) return;
  const std::size_t stride = static_cast<std::size_t>(width) * 3;
  const int chroma_width = (width + 1) / 2;
  const int chroma_height = (height + 1) / 2;
  uint8_t* y_plane = iyuv;
  uint8_t* u_plane = y_plane + static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
  uint8_t* v_plane = u_plane + static_cast<std::size_t>(chroma_width) * static_cast<std::size_t>(chroma_height);

  // Output row y (top-down) is input row height - 1 - y (bottom-up).
  for (int cy = 0; cy < chroma_height; ++cy) {
    const int top = 2 * cy;
    const bool has_second = top + 1 < height;
    const uint8_t* row0 = bgr + static_cast<std::size_t>(height - 1 - top) * stride;
    const uint8_t* row1 = has_second ? row0 - stride : nullptr;
    uint8_t* y0 = y_plane + static_cast<std::size_t>(top) * static_cast<std::size_t>(width);
    uint8_t* y1 = y0 + width;
    uint8_t* u = u_plane + static_cast<std::size_t>(cy) * static_cast<std::size_t>(chroma_width);
    uint8_t* v = v_plane + static_cast<std::size_t>(cy) * static_cast<std::size_t>(chroma_width);

    const int pairs = width / 2;
    if (has_second) {
      // The common case, whole 2 x 2 squares, kept free of edge tests.
      for (int cx = 0; cx < pairs; ++cx) {
        const uint8_t* a = row0 + 6 * cx;
        const uint8_t* b = row1 + 6 * cx;
        const int b0 = a[0], g0 = a[1], r0 = a[2], b1 = a[3], g1 = a[4], r1 = a[5];
        const int b2 = b[0], g2 = b[1], r2 = b[2], b3 = b[3], g3 = b[4], r3 = b[5];
        y0[2 * cx] = LumaOf(r0, g0, b0);
        y0[2 * cx + 1] = LumaOf(r1, g1, b1);
        y1[2 * cx] = LumaOf(r2, g2, b2);
        y1[2 * cx + 1] = LumaOf(r3, g3, b3);
        const int rs = r0 + r1 + r2 + r3, gs = g0 + g1 + g2 + g3, bs = b0 + b1 + b2 + b3;
        u[cx] = SquareChromaOf(-9714 * rs - 19070 * gs + 28784 * bs);
        v[cx] = SquareChromaOf(28784 * rs - 24103 * gs - 4681 * bs);
      }
    } else {
      for (int cx = 0; cx < pairs; ++cx) {
        const uint8_t* a = row0 + 6 * cx;
        y0[2 * cx] = LumaOf(a[2], a[1], a[0]);
        y0[2 * cx + 1] = LumaOf(a[5], a[4], a[3]);
        const int rs = a[2] + a[5], gs = a[1] + a[4], bs = a[0] + a[3];
        u[cx] = BlueDifferenceOf(rs, gs, bs, 2);
        v[cx] = RedDifferenceOf(rs, gs, bs, 2);
      }
    }
    if (width % 2 != 0) {
      const int x = width - 1;
      const uint8_t* a = row0 + 3 * static_cast<std::size_t>(x);
      int rs = a[2], gs = a[1], bs = a[0], count = 1;
      y0[x] = LumaOf(a[2], a[1], a[0]);
      if (has_second) {
        const uint8_t* b = row1 + 3 * static_cast<std::size_t>(x);
        y1[x] = LumaOf(b[2], b[1], b[0]);
        rs += b[2];
        gs += b[1];
        bs += b[0];
        ++count;
      }
      u[pairs] = BlueDifferenceOf(rs, gs, bs, count);
      v[pairs] = RedDifferenceOf(rs, gs, bs, count);
    }
  }
}
