#include "demosaic.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

#include "sensor_model.h"

namespace {

constexpr int kPad = 2;

// Index of coordinate i (possibly up to kPad outside 0..n-1) reflected about
// the edge sample, which keeps the colour filter's parity; pictures too small
// to reflect into fall back to the nearest sample.
int Reflect(int i, int n) {
  if (n <= 1) return 0;
  if (i < 0) i = -i;
  if (i >= n) i = 2 * (n - 1) - i;
  return std::clamp(i, 0, n - 1);
}

// A plane with a border of kPad reflected samples on every side, so the
// kernels below never test for edges.
class PaddedPlane {
 public:
  PaddedPlane(const float* data, int width, int height)
      : stride_(width + 2 * kPad), values_(static_cast<std::size_t>(stride_) * (height + 2 * kPad)) {
    for (int y = -kPad; y < height + kPad; ++y) {
      const float* row = data + static_cast<std::size_t>(Reflect(y, height)) * width;
      float* out = &values_[static_cast<std::size_t>(y + kPad) * stride_];
      for (int x = -kPad; x < width + kPad; ++x) out[x + kPad] = row[Reflect(x, width)];
    }
  }
  // The sample at (x, y), both within kPad of the picture.
  float operator()(int x, int y) const { return values_[static_cast<std::size_t>(y + kPad) * stride_ + x + kPad]; }

 private:
  int stride_;
  std::vector<float> values_;
};

void Prepare(ColourPlanes& out, int width, int height) {
  out.width = width;
  out.height = height;
  for (auto& p : out.plane) p.assign(static_cast<std::size_t>(width) * height, 0.0f);
}

void Order(float& a, float& b) {
  const float low = std::min(a, b);
  b = std::max(a, b);
  a = low;
}

// Median of nine by a fixed exchange network: no branches to mispredict.
float Median9(float p[9]) {
  static constexpr int kPairs[19][2] = {{1, 2}, {4, 5}, {7, 8}, {0, 1}, {3, 4}, {6, 7}, {1, 2},
                                        {4, 5}, {7, 8}, {0, 3}, {5, 8}, {4, 7}, {3, 6}, {1, 4},
                                        {2, 5}, {4, 7}, {4, 2}, {6, 4}, {4, 2}};
  for (const auto& pair : kPairs) Order(p[pair[0]], p[pair[1]]);
  return p[4];
}

}  // namespace

void DemosaicGradientCorrected(const std::vector<float>& samples, int width, int height, int mode,
                               ColourPlanes& out) {
  Prepare(out, width, height);
  const PaddedPlane p(samples.data(), width, height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const std::size_t i = static_cast<std::size_t>(y) * width + x;
      const int colour = MosaicColourAt(x, y, mode);
      const float c = p(x, y);
      const float axis1 = p(x - 1, y) + p(x + 1, y) + p(x, y - 1) + p(x, y + 1);
      const float axis2 = p(x - 2, y) + p(x + 2, y) + p(x, y - 2) + p(x, y + 2);
      const float diagonal = p(x - 1, y - 1) + p(x + 1, y - 1) + p(x - 1, y + 1) + p(x + 1, y + 1);
      if (colour == kMosaicGreen) {
        const float row1 = p(x - 1, y) + p(x + 1, y), row2 = p(x - 2, y) + p(x + 2, y);
        const float col1 = p(x, y - 1) + p(x, y + 1), col2 = p(x, y - 2) + p(x, y + 2);
        // The colour whose sites sit left and right of this green one.
        const float along_row = (5 * c + 4 * row1 - row2 - diagonal + 0.5f * col2) / 8;
        const float along_column = (5 * c + 4 * col1 - col2 - diagonal + 0.5f * row2) / 8;
        const bool red_in_row = MosaicColourAt(x + 1, y, mode) == kMosaicRed;
        out.plane[kMosaicGreen][i] = c;
        out.plane[kMosaicRed][i] = red_in_row ? along_row : along_column;
        out.plane[kMosaicBlue][i] = red_in_row ? along_column : along_row;
      } else {
        const int other = colour == kMosaicRed ? kMosaicBlue : kMosaicRed;
        out.plane[colour][i] = c;
        out.plane[kMosaicGreen][i] = (4 * c + 2 * axis1 - axis2) / 8;
        out.plane[other][i] = (6 * c + 2 * diagonal - 1.5f * axis2) / 8;
      }
    }
  }
}

void DemosaicEdgeDirected(const std::vector<float>& samples, int width, int height, int mode, ColourPlanes& out) {
  Prepare(out, width, height);
  const PaddedPlane p(samples.data(), width, height);
  auto& green = out.plane[kMosaicGreen];

  // Green first, along the smoother direction, corrected by the curvature of
  // the site's own colour.
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const std::size_t i = static_cast<std::size_t>(y) * width + x;
      const float c = p(x, y);
      if (MosaicColourAt(x, y, mode) == kMosaicGreen) {
        green[i] = c;
        continue;
      }
      const float curve_h = 2 * c - p(x - 2, y) - p(x + 2, y);
      const float curve_v = 2 * c - p(x, y - 2) - p(x, y + 2);
      const float grad_h = std::fabs(p(x - 1, y) - p(x + 1, y)) + std::fabs(curve_h);
      const float grad_v = std::fabs(p(x, y - 1) - p(x, y + 1)) + std::fabs(curve_v);
      const float est_h = (p(x - 1, y) + p(x + 1, y)) / 2 + curve_h / 4;
      const float est_v = (p(x, y - 1) + p(x, y + 1)) / 2 + curve_v / 4;
      green[i] = grad_h < grad_v ? est_h : grad_v < grad_h ? est_v : (est_h + est_v) / 2;
    }
  }

  // Red and blue as differences to green, which vary far more slowly than
  // the colours themselves.
  const PaddedPlane g(green.data(), width, height);
  auto difference = [&](int x, int y) { return p(x, y) - g(x, y); };
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const std::size_t i = static_cast<std::size_t>(y) * width + x;
      const int colour = MosaicColourAt(x, y, mode);
      if (colour == kMosaicGreen) {
        const float row = (difference(x - 1, y) + difference(x + 1, y)) / 2;
        const float column = (difference(x, y - 1) + difference(x, y + 1)) / 2;
        const bool red_in_row = MosaicColourAt(x + 1, y, mode) == kMosaicRed;
        out.plane[kMosaicRed][i] = green[i] + (red_in_row ? row : column);
        out.plane[kMosaicBlue][i] = green[i] + (red_in_row ? column : row);
      } else {
        const int other = colour == kMosaicRed ? kMosaicBlue : kMosaicRed;
        const float diagonal = (difference(x - 1, y - 1) + difference(x + 1, y - 1) + difference(x - 1, y + 1) +
                                difference(x + 1, y + 1)) /
                               4;
        out.plane[colour][i] = p(x, y);
        out.plane[other][i] = green[i] + diagonal;
      }
    }
  }

  // False colour: a median of the colour differences over 3 x 3 pixels, for
  // the colours a site did not measure.
  for (int channel : {kMosaicRed, kMosaicBlue}) {
    std::vector<float> diff(green.size());
    for (std::size_t i = 0; i < diff.size(); ++i) diff[i] = out.plane[channel][i] - green[i];
    const PaddedPlane d(diff.data(), width, height);
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) {
        if (MosaicColourAt(x, y, mode) == channel) continue;
        float window[9];
        int n = 0;
        for (int dy = -1; dy <= 1; ++dy)
          for (int dx = -1; dx <= 1; ++dx) window[n++] = d(x + dx, y + dy);
        const std::size_t i = static_cast<std::size_t>(y) * width + x;
        out.plane[channel][i] = green[i] + Median9(window);
      }
    }
  }
}
