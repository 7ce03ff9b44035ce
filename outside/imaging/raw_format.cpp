#include "raw_format.h"

#include <algorithm>
#include <array>
#include <utility>

#include "kx3300_ip.h"
#include "sensor_model.h"

namespace {

uint8_t GainByte(int gain) { return gain <= 0 ? kUnityGain : static_cast<uint8_t>(std::min(gain, 255)); }

const std::array<double, 256>& DisplayToLinearTable() {
  static const std::array<double, 256> table = [] {
    std::array<double, 256> t{};
    for (int i = 0; i < 256; ++i) t[i] = DisplayToLinear(i / 255.0);
    return t;
  }();
  return table;
}

}  // namespace

std::size_t RawFrameBytes(const RawFrameParams& p) {
  if (p.width <= 0 || p.height <= 0) return 0;
  return static_cast<std::size_t>(p.width) * static_cast<std::size_t>(p.height) + kTrailerBytes;
}

int RawPictureHeight(const RawFrameParams& p) {
  const bool half_height = static_cast<int64_t>(p.width) > 2 * static_cast<int64_t>(p.height);
  return half_height && p.height <= KX3300_IP_MAX_SIDE ? 2 * p.height : p.height;
}

void ExchangeMosaicRows(uint8_t* mosaic, int width, int height) {
  if (mosaic == nullptr || width <= 0) return;
  const std::size_t w = static_cast<std::size_t>(width);
  for (int y = 0; y + 2 < height; y += 4) {
    std::swap_ranges(mosaic + (y + 1) * w, mosaic + (y + 2) * w, mosaic + (y + 2) * w);
  }
}

std::vector<uint8_t> EncodeRawFrame(const uint8_t* rgb, const RawFrameParams& p) {
  if (p.width > KX3300_IP_MAX_SIDE || p.height > KX3300_IP_MAX_SIDE) return {};
  std::vector<uint8_t> frame(RawFrameBytes(p));
  if (frame.empty()) return frame;
  const std::size_t w = static_cast<std::size_t>(p.width);
  const int black = BlackLevel(p.param20);
  const uint8_t red_gain = GainByte(p.red_gain);
  const uint8_t blue_gain = GainByte(p.blue_gain);
  const double inverse_gain[3] = {static_cast<double>(kUnityGain) / red_gain, 1.0,
                                  static_cast<double>(kUnityGain) / blue_gain};

  if (rgb == nullptr) {
    std::fill(frame.begin(), frame.end() - kTrailerBytes, static_cast<uint8_t>(black));
  } else {
    const auto& to_linear = DisplayToLinearTable();
    const bool binned = RawPictureHeight(p) != p.height;
    for (int y = 0; y < p.height; ++y) {
      // A half-height picture bins scene rows 2y and 2y+1 in the charge domain.
      const int first_row = binned ? 2 * y : y;
      const uint8_t* row0 = rgb + static_cast<std::size_t>(first_row) * w * 3;
      const uint8_t* row1 = binned ? row0 + w * 3 : row0;
      uint8_t* out = frame.data() + static_cast<std::size_t>(y) * w;
      for (int x = 0; x < p.width; ++x) {
        const int colour = MosaicColourAt(x, y, p.mode);
        const std::size_t column = static_cast<std::size_t>(p.param11_flag == 1 ? p.width - 1 - x : x);
        const double light = 0.5 * (to_linear[row0[column * 3 + colour]] + to_linear[row1[column * 3 + colour]]);
        out[x] = CompandSample(light * inverse_gain[colour], black);
      }
    }
  }

  uint8_t* trailer = frame.data() + w * static_cast<std::size_t>(p.height);
  const uint8_t frame_number = static_cast<uint8_t>(p.frame_number & 0xFF);
  trailer[0] = red_gain;
  trailer[1] = blue_gain;
  trailer[2] = frame_number;
  trailer[3] = TrailerCheck(red_gain, blue_gain, frame_number);

  if (p.width < 352) ExchangeMosaicRows(frame.data(), p.width, p.height);
  return frame;
}
