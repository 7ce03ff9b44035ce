#include "raw_format.h"

#include <utility>

std::size_t RawFrameBytes(const RawFrameParams& p) {
  if (p.width <= 0 || p.height <= 0) return 0;
  return static_cast<std::size_t>(p.width) * static_cast<std::size_t>(p.height) + 4;
}

int RawPictureHeight(const RawFrameParams& p) { return p.width > 2 * p.height ? 2 * p.height : p.height; }

std::vector<uint8_t> EncodeRawFrame(const uint8_t* rgb, const RawFrameParams& p) {
  std::vector<uint8_t> frame(RawFrameBytes(p));
  if (frame.empty() || rgb == nullptr) return frame;
  const int picture_height = RawPictureHeight(p);
  const int step = picture_height / p.height;
  // An RGGB colour mosaic, one sample per site.
  for (int y = 0; y < p.height; ++y) {
    const uint8_t* row = rgb + static_cast<std::size_t>(y * step) * p.width * 3;
    for (int x = 0; x < p.width; ++x) {
      int channel = (y & 1) == 0 ? ((x & 1) == 0 ? 0 : 1) : ((x & 1) == 0 ? 1 : 2);
      frame[static_cast<std::size_t>(y) * p.width + x] = row[x * 3 + channel];
    }
  }
  if (p.width < 352) {
    for (int y = 0; y + 2 < p.height; y += 4) {
      for (int x = 0; x < p.width; ++x) {
        std::swap(frame[static_cast<std::size_t>(y + 1) * p.width + x], frame[static_cast<std::size_t>(y + 2) * p.width + x]);
      }
    }
  }
  return frame;
}
