#include "ui/resources/skin_region.h"

#include <cstring>
#include <limits>

namespace {

// Reads the comparable value of pixel x of a row; false for an index that has
// no colour-table entry.
bool PixelValue(const SkinPixels& skin, const std::uint8_t* row, int x, std::uint32_t* value) {
  switch (skin.bits_per_pixel) {
    case 8: {
      const std::uint8_t index = row[x];
      if (index >= skin.colour_count) return false;
      *value = skin.colour_table[index];
      return true;
    }
    case 16:
      *value = static_cast<std::uint32_t>(row[2 * x]) | static_cast<std::uint32_t>(row[2 * x + 1]) << 8;
      return true;
    case 24:
      *value = static_cast<std::uint32_t>(row[3 * x]) | static_cast<std::uint32_t>(row[3 * x + 1]) << 8 |
               static_cast<std::uint32_t>(row[3 * x + 2]) << 16;
      return true;
    case 32:
      std::memcpy(value, row + 4 * x, 4);
      return true;
    default:
      return false;
  }
}

void Append(std::vector<RegionRect>* rects, const RegionRect& rect) {
  if (rects->size() == rects->capacity()) rects->reserve(rects->capacity() + 40);
  rects->push_back(rect);
}

}  // namespace

bool BuildSkinRectangles(const SkinPixels& skin, std::vector<RegionRect>* rects) {
  rects->clear();
  const int bpp = skin.bits_per_pixel;
  if (bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32) return false;
  if (skin.width <= 0 || skin.height <= 0 || skin.rows == nullptr) return false;
  if (static_cast<std::size_t>(skin.width) > std::numeric_limits<std::size_t>::max() / 4) return false;
  if (skin.stride < static_cast<std::size_t>(skin.width) * static_cast<std::size_t>(bpp / 8)) return false;
  if (bpp == 8 && skin.colour_table == nullptr) return false;

  std::uint32_t key = 0;
  if (!PixelValue(skin, skin.rows, 0, &key)) return false;

  rects->reserve(static_cast<std::size_t>(skin.height));
  for (int y = 0; y < skin.height; ++y) {
    const std::uint8_t* row = skin.rows + static_cast<std::size_t>(y) * skin.stride;
    int run_start = -1;
    for (int x = 0; x < skin.width; ++x) {
      std::uint32_t value = 0;
      if (!PixelValue(skin, row, x, &value)) {
        rects->clear();
        return false;
      }
      const bool opaque = value != key;
      if (opaque && run_start < 0) {
        run_start = x;
      } else if (!opaque && run_start >= 0) {
        Append(rects, {run_start, y, x, y + 1});
        run_start = -1;
      }
    }
    if (run_start >= 0) Append(rects, {run_start, y, skin.width, y + 1});
  }
  return true;
}

bool RegionCoversRect(const std::vector<RegionRect>& rects, int left, int top, int width, int height) {
  if (width <= 0 || height <= 0) return false;
  for (int y = top; y < top + height; ++y) {
    bool covered = false;
    for (const RegionRect& r : rects) {
      if (r.top <= y && y < r.bottom && r.left <= left && left + width <= r.right) {
        covered = true;
        break;
      }
    }
    if (!covered) return false;
  }
  return true;
}
