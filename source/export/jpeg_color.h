// Conversion of blue-green-red pixels into the JPEG_YCC422 layout, in place.
#pragma once

#include <cstdint>

// Each row's pixels are taken in pairs; a pair becomes Y of the first pixel,
// Cb of the first, Y of the second, Cr of the first (the second pixel's chroma
// is dropped). With an odd width the row's last pixel becomes Y, Cb, Cr. Rows
// end up 2 × width (+ 1 when odd) bytes apart from the start of `pixels`.
// Converts rows `first` to `first + count - 1`; the rows before them must
// already be converted (the encoder converts one band of rows before coding it,
// while the band is still in the cache).
void ConvertBgrToYcc422(uint8_t* pixels, unsigned width, unsigned first, unsigned count);
