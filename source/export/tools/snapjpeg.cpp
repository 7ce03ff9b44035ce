// snapjpeg IN.bmp OUT.jpg: writes a 24-bit BMP picture as the JPEG file that
// "Save photos" writes for the same pixels, so a saved photo can be reproduced
// and the encoder measured outside the source.
#include <cstdio>
#include <string>

#include "export/jpeg_encoder.h"
#include "export/tools/bmp_reader.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: snapjpeg IN.bmp OUT.jpg\n");
    return 2;
  }
  BmpPicture picture;
  std::string error;
  if (!ReadBmpFile(argv[1], &picture, &error)) {
    std::fprintf(stderr, "snapjpeg: %s: %s\n", argv[1], error.c_str());
    return 1;
  }
  if (!SaveJpegFile(argv[2], picture.bits.data(), picture.width, picture.height)) {
    std::fprintf(stderr, "snapjpeg: %s: cannot be written\n", argv[2]);
    return 1;
  }
  return 0;
}
