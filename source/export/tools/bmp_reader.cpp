#include "export/tools/bmp_reader.h"

#include <cstring>

#include "camera/whole_file.h"
#include "platform/memory.h"

namespace {

uint32_t Le32(const uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24; }
uint16_t Le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }

bool Fail(std::string* error, const char* reason) {
  if (error != nullptr) *error = reason;
  return false;
}

constexpr uint32_t kMaxSide = 65535;

}  // namespace

bool ParseBmp(const uint8_t* data, std::size_t size, BmpPicture* picture, std::string* error) {
  if (data == nullptr || size < 14 + 12) return Fail(error, "too short for a BMP file");
  if (data[0] != 'B' || data[1] != 'M') return Fail(error, "not a BMP file");
  const uint32_t offset = Le32(data + 10);
  const uint32_t header_size = Le32(data + 14);
  if (header_size < 12 || header_size > size - 14) return Fail(error, "damaged header");

  uint32_t width;
  int64_t height;
  uint16_t planes, bits_per_pixel;
  uint32_t compression = 0;
  if (header_size == 12) {  // the old core header: 16-bit sizes
    width = Le16(data + 18);
    height = Le16(data + 20);
    planes = Le16(data + 22);
    bits_per_pixel = Le16(data + 24);
  } else {
    if (header_size < 40) return Fail(error, "damaged header");
    width = Le32(data + 18);
    height = static_cast<int32_t>(Le32(data + 22));
    planes = Le16(data + 26);
    bits_per_pixel = Le16(data + 28);
    compression = Le32(data + 30);
  }
  if (planes != 1 || bits_per_pixel != 24) return Fail(error, "not a 24-bit picture");
  if (compression != 0) return Fail(error, "compressed pictures are not read");
  // Negative heights mark top-down rows.
  const bool top_down = height < 0;
  const uint64_t rows = static_cast<uint64_t>(top_down ? -height : height);
  if (width == 0 || rows == 0 || width > kMaxSide || rows > kMaxSide) return Fail(error, "unsupported size");

  const std::size_t row_bytes = 3 * static_cast<std::size_t>(width);
  const std::size_t stride = (row_bytes + 3) & ~std::size_t{3};
  if (offset < 14 + header_size || offset > size || (size - offset) / stride < rows) {
    return Fail(error, "the pixel data is cut short");
  }
  picture->width = width;
  picture->height = static_cast<unsigned>(rows);
  picture->bits.resize(row_bytes * rows);
  for (std::size_t y = 0; y < rows; ++y) {
    const std::size_t from = top_down ? rows - 1 - y : y;
    std::memcpy(&picture->bits[y * row_bytes], data + offset + from * stride, row_bytes);
  }
  return true;
}

bool ReadBmpFile(const char* path, BmpPicture* picture, std::string* error) {
  std::size_t size = 0;
  void* block = ReadWholeFile(path, &size);
  if (block == nullptr) return Fail(error, "cannot be read");
  const bool ok = ParseBmp(static_cast<const uint8_t*>(block), size, picture, error);
  FreeBlock(block);
  return ok;
}
