// Arbitrary BMP files for snapjpeg's reader: no read outside the file.
#include <cstdint>
#include <vector>

#include "export/tools/bmp_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // A copy of exactly the file's length, so a read past it is caught.
  std::vector<uint8_t> file(data, data + size);
  BmpPicture picture;
  std::string error;
  if (ParseBmp(file.data(), file.size(), &picture, &error)) {
    if (picture.bits.size() != 3ull * picture.width * picture.height) __builtin_trap();
  }
  return 0;
}
