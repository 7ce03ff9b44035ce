// Pixel rows as decoding handles them: 24-bit pixels, rows stored one after
// the other without padding.
#pragma once

#include <cstdint>

// Bilinear scaling with 8-bit fractions, every byte of a pixel alike. Samples
// past the right or bottom edge repeat the last column or row.
void ScalePixels(const uint8_t* src, int src_width, int src_height, uint8_t* dst, int dst_width, int dst_height);

// Undoes the camera's row order of narrow pictures: in each group of four rows
// of `width` bytes, rows 1 and 2 change places. Rows at or past `height` are
// never touched.
void ExchangeRowPairs(uint8_t* data, int width, int height);
