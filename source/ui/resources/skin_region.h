// The window's shape from the skin: every pixel whose value differs from the
// top-left pixel's is opaque, and each run of opaque pixels in a row becomes
// its own one-pixel-high rectangle. Qt-free, so the window and its tests use
// the very same rule.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

struct SkinPixels {
  int width = 0;
  int height = 0;
  int bits_per_pixel = 0;            // 8, 16, 24 or 32
  const std::uint8_t* rows = nullptr;  // top row first
  std::size_t stride = 0;            // bytes from one row to the next
  // 8 bits per pixel only: the colour table; pixels are compared by the
  // entry their index selects, so two indices of one colour are one value.
  const std::uint32_t* colour_table = nullptr;
  std::size_t colour_count = 0;
};

struct RegionRect {
  int left;
  int top;
  int right;   // exclusive
  int bottom;  // exclusive
  bool operator==(const RegionRect&) const = default;
};

// Appends the runs row by row, left to right, never merged. The list starts
// with room for one rectangle per row and grows by 40 at a time. False (and an
// empty list) for a depth without a rule, sizes or a stride that do not fit,
// or an 8-bit pixel whose index lies beyond the colour table.
bool BuildSkinRectangles(const SkinPixels& skin, std::vector<RegionRect>* rects);

// True when every pixel of the rectangle (left, top, width, height) lies in
// the region, i.e. in each of its rows one run covers its whole width.
bool RegionCoversRect(const std::vector<RegionRect>& rects, int left, int top, int width, int height);
