// Pictures for the transfer tests that do not need the camera's decoding:
// packed 24-bit DIBs whose every pixel is known, installed behind the
// transfer's test seam (xfer_picture_source_for_tests).
#pragma once

#include <cstdint>
#include <cstring>
#include <vector>

#include "camera/picture_table.h"
#include "platform/memory.h"

struct Rgb {
  uint8_t r, g, b;
  bool operator==(const Rgb&) const = default;
};

// The pixel at column x of row y, counted from the top, of picture `seed`.
inline Rgb FakePixel(int seed, int x, int y) {
  return {static_cast<uint8_t>(x * 3 + seed * 50), static_cast<uint8_t>(y * 5 + seed),
          static_cast<uint8_t>((x ^ y) + seed * 7)};
}

inline uint32_t DibStride(int width) { return (24u * static_cast<uint32_t>(width) + 31) / 32 * 4; }

inline void PutLe32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

// A bottom-up 24-bit DIB in a movable block; `claimed_height` lets a test make
// a header that promises more rows than the block holds.
inline void* MakeFakeDib(int seed, int width, int height, int claimed_height = 0) {
  const uint32_t stride = DibStride(width);
  auto* dib = static_cast<uint8_t*>(AllocBlock(40 + static_cast<std::size_t>(stride) * height));
  if (dib == nullptr) return nullptr;
  PutLe32(dib, 40);
  PutLe32(dib + 4, static_cast<uint32_t>(width));
  PutLe32(dib + 8, static_cast<uint32_t>(claimed_height != 0 ? claimed_height : height));
  dib[12] = 1;
  dib[14] = 24;
  PutLe32(dib + 20, stride * static_cast<uint32_t>(height));
  for (int y = 0; y < height; ++y) {
    uint8_t* row = dib + 40 + static_cast<std::size_t>(height - 1 - y) * stride;
    for (int x = 0; x < width; ++x) {
      const Rgb p = FakePixel(seed, x, y);
      row[3 * x] = p.b;
      row[3 * x + 1] = p.g;
      row[3 * x + 2] = p.r;
    }
  }
  return dib;
}

// A fake decoder over the picture table: record i decodes to picture seed i at
// the record's size; past the table there is nothing. Counts its calls.
struct FakeDecoder {
  static inline int calls = 0;
  static inline int claimed_height = 0;  // non-zero: every header lies about its height
  static void* Decode() {
    ++calls;
    const int i = picture_table.current_picture;
    if (i < 0 || i >= picture_table.picture_count) return nullptr;
    const PictureRecord& r = picture_table.records[i];
    return MakeFakeDib(i, r.width, r.height, claimed_height);
  }
};

// `count` photos of the given size, all selected unless listed in `unselected`.
inline void FillPictureTable(int count, int width, int height, const std::vector<int>& unselected = {}) {
  ResetPictureTable();
  for (int i = 0; i < count; ++i) {
    PictureRecord& r = picture_table.records[i];
    r.record_size = kPictureRecordSize;
    r.width = width;
    r.height = height;
    r.kind = kPicturePhoto;
    r.selected = 1;
    for (int u : unselected) r.selected = r.selected && u != i;
  }
  picture_table.picture_count = count;
  picture_table.item_count = count;
  picture_table.photo_count = static_cast<uint16_t>(count);
  picture_table.camera_picture_count = count;
}
