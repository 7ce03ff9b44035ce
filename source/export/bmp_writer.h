// Photos as 24-bit BMP files: a 14-byte file header, a 40-byte information
// header and the rows exactly as the decoder left them (bottom-up,
// blue-green-red).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

constexpr std::size_t kBmpHeaderBytes = 54;

// 54 + rows of 3 x width bytes, each padded to a multiple of four as readers
// expect; 0 for a size that is not positive.
std::size_t BmpFileBytes(int width, int height);

// The 54 header bytes for a picture of this size, little-endian.
std::vector<uint8_t> BuildBmpHeader(int width, int height);

// Writes `bits` (height rows of exactly 3 x width bytes) as a BMP file,
// creating or replacing `path`. 1 when every byte reached the file, else 0.
// Widths whose rows are not a multiple of four get the zero padding a BMP row
// needs; every camera width already is one.
int WriteBmpFile(const char* path, const uint8_t* bits, int width, int height);
