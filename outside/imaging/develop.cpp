#include "develop.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <new>
#include <vector>

#include "demosaic.h"
#include "kx3300_ip.h"
#include "sensor_model.h"

namespace {

constexpr double kHighQuality = 1.125;

bool UsableSide(int side) { return side >= 1 && side <= KX3300_IP_MAX_SIDE; }

double Adjustment(double value, double low, double high) {
  if (std::isnan(value)) return 1.0;
  return std::clamp(value, low, high);
}

// The white balance the frame carries, or none when its trailer does not check.
std::array<double, 3> FrameGains(const uint8_t* trailer) {
  if (TrailerCheck(trailer[0], trailer[1], trailer[2]) != trailer[3]) return {1.0, 1.0, 1.0};
  auto gain = [](uint8_t g) { return (g == 0 ? kUnityGain : g) / static_cast<double>(kUnityGain); };
  return {gain(trailer[0]), 1.0, gain(trailer[1])};
}

// One output row as a blend of stored rows.
struct RowBlend {
  int rows[4];
  float weights[4];
  int count;
};

RowBlend BlendForRow(int y, int stored_height, bool restore, bool cubic) {
  RowBlend b{};
  if (!restore) {
    b.rows[0] = y;
    b.weights[0] = 1.0f;
    b.count = 1;
    return b;
  }
  // Output row y covers half of stored row y / 2, whose centre lies between
  // output rows 2k and 2k + 1.
  const double s = y / 2.0 - 0.25;
  const int i0 = static_cast<int>(std::floor(s));
  const double t = s - i0;
  auto clamp_row = [&](int r) { return std::clamp(r, 0, stored_height - 1); };
  if (!cubic) {
    b.rows[0] = clamp_row(i0);
    b.rows[1] = clamp_row(i0 + 1);
    b.weights[0] = static_cast<float>(1 - t);
    b.weights[1] = static_cast<float>(t);
    b.count = 2;
    return b;
  }
  const double t2 = t * t, t3 = t2 * t;
  const double w[4] = {(-t3 + 2 * t2 - t) / 2, (3 * t3 - 5 * t2 + 2) / 2, (-3 * t3 + 4 * t2 + t) / 2,
                       (t3 - t2) / 2};
  for (int k = 0; k < 4; ++k) {
    b.rows[k] = clamp_row(i0 - 1 + k);
    b.weights[k] = static_cast<float>(w[k]);
  }
  b.count = 4;
  return b;
}

uint8_t ToByte(float v) { return static_cast<uint8_t>(std::clamp(v, 0.0f, 1.0f) * 255.0f + 0.5f); }

}  // namespace

int DevelopedHeight(const DevelopRequest& r) {
  if (!UsableSide(r.width) || !UsableSide(r.height)) return 0;
  return r.restore_height ? 2 * r.height : r.height;
}

bool DevelopRawFrame(const DevelopRequest& r, const uint8_t* raw, uint8_t* pixels) {
  const int out_height = DevelopedHeight(r);
  if (out_height == 0 || raw == nullptr || pixels == nullptr) return false;
  const int w = r.width, h = r.height;
  const std::size_t sites = static_cast<std::size_t>(w) * h;
  const double brightness = Adjustment(r.brightness, 0.0, 4.0);
  const float contrast = static_cast<float>(Adjustment(r.contrast, 0.0, 4.0));
  const bool high_quality = Adjustment(r.quality, 0.0, 4.0) > kHighQuality;

  try {
    // Black level, expansion, white balance, brightness and the display curve
    // are all per-sample, so they make one table per colour.
    const int black = BlackLevel(r.param20);
    const std::array<double, 3> gains = FrameGains(raw + sites);
    float table[3][256];
    for (int c = 0; c < 3; ++c) {
      for (int v = 0; v < 256; ++v) {
        table[c][v] = static_cast<float>(LinearToDisplay(ExpandSample(v, black) * gains[c] * brightness));
      }
    }
    std::vector<float> samples(sites);
    for (int y = 0; y < h; ++y) {
      const uint8_t* in = raw + static_cast<std::size_t>(y) * w;
      float* out = samples.data() + static_cast<std::size_t>(y) * w;
      for (int x = 0; x < w; ++x) out[x] = table[MosaicColourAt(x, y, r.mode)][in[x]];
    }

    ColourPlanes planes;
    if (high_quality) {
      DemosaicEdgeDirected(samples, w, h, r.mode, planes);
    } else {
      DemosaicGradientCorrected(samples, w, h, r.mode, planes);
    }
    if (r.param11_flag == 1) {
      for (auto& plane : planes.plane) {
        for (int y = 0; y < h; ++y) {
          auto row = plane.begin() + static_cast<std::ptrdiff_t>(y) * w;
          std::reverse(row, row + w);
        }
      }
    }

    const std::size_t row_bytes = static_cast<std::size_t>(w) * 3;
    for (int y = 0; y < out_height; ++y) {
      const RowBlend blend = BlendForRow(y, h, r.restore_height, high_quality);
      uint8_t* out = pixels + static_cast<std::size_t>(out_height - 1 - y) * row_bytes;
      for (int x = 0; x < w; ++x) {
        for (int c = 0; c < 3; ++c) {
          float v = 0.0f;
          for (int k = 0; k < blend.count; ++k) {
            v += blend.weights[k] * planes.plane[c][static_cast<std::size_t>(blend.rows[k]) * w + x];
          }
          v = 0.5f + (v - 0.5f) * contrast;
          out[x * 3 + (2 - c)] = ToByte(v);  // blue, green, red
        }
      }
    }
  } catch (const std::bad_alloc&) {
    return false;
  }
  return true;
}
