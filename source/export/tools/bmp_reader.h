// Reading 24-bit BMP files for snapjpeg: whatever the header says, nothing is
// read outside the file and no size computation overflows.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct BmpPicture {
  unsigned width = 0, height = 0;
  // Bottom-up rows of exactly 3 × width bytes, blue-green-red: the layout of a
  // decoded photo, which SaveJpegFile takes.
  std::vector<uint8_t> bits;
};

// Parses a whole file already in memory. False, with a reason, for anything
// but an uncompressed 24-bit picture of 1 to 65,535 pixels each way.
bool ParseBmp(const uint8_t* data, std::size_t size, BmpPicture* picture, std::string* error);

bool ReadBmpFile(const char* path, BmpPicture* picture, std::string* error);
