#include "resample.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <new>
#include <vector>

namespace {

// Keys' cubic with a = -0.5 (Catmull-Rom): sharp without the ringing of
// wider windows, and exact on straight ramps.
double Cubic(double x) {
  x = std::fabs(x);
  if (x < 1) return (1.5 * x - 2.5) * x * x + 1;
  if (x < 2) return ((-0.5 * x + 2.5) * x - 4) * x + 2;
  return 0;
}

struct Taps {
  std::vector<int> count;       // per output index
  std::vector<int> sources;     // per output index: `max_taps` source indexes, held inside the picture
  std::vector<float> weights;   // per output index: `max_taps` weights
  int max_taps = 0;
};

// The taps of one axis. When shrinking, the filter widens by the scale so
// every source sample contributes (an area average); when enlarging it
// interpolates.
Taps AxisTaps(int source, int target) {
  Taps t;
  const double scale = static_cast<double>(source) / target;
  const double stretch = std::max(scale, 1.0);
  const double support = 2 * stretch;
  t.max_taps = static_cast<int>(std::ceil(2 * support)) + 1;
  t.count.resize(target);
  t.sources.assign(static_cast<std::size_t>(target) * t.max_taps, 0);
  t.weights.assign(static_cast<std::size_t>(target) * t.max_taps, 0.0f);
  for (int i = 0; i < target; ++i) {
    const double centre = (i + 0.5) * scale - 0.5;
    const int lo = static_cast<int>(std::floor(centre - support)) + 1;
    float* w = &t.weights[static_cast<std::size_t>(i) * t.max_taps];
    int* from = &t.sources[static_cast<std::size_t>(i) * t.max_taps];
    double sum = 0;
    int n = 0;
    for (int j = lo; n < t.max_taps && j <= centre + support; ++j, ++n) {
      w[n] = static_cast<float>(Cubic((j - centre) / stretch));
      from[n] = std::clamp(j, 0, source - 1);
      sum += w[n];
    }
    for (int k = 0; k < n; ++k) w[k] = static_cast<float>(w[k] / sum);
    t.count[i] = n;
  }
  return t;
}

}  // namespace

bool ResamplePixels(const uint8_t* source, int sw, int sh, uint8_t* target, int tw, int th) {
  auto usable = [](int side) { return side >= 1 && side <= kMaxResampleSide; };
  if (source == nullptr || target == nullptr || !usable(sw) || !usable(sh) || !usable(tw) || !usable(th)) {
    return false;
  }
  try {
    const Taps across = AxisTaps(sw, tw);
    const Taps down = AxisTaps(sh, th);
    // Horizontal pass into a float buffer of tw x sh pixels, then vertical.
    std::vector<float> middle(static_cast<std::size_t>(tw) * sh * 3);
    for (int y = 0; y < sh; ++y) {
      const uint8_t* in = source + static_cast<std::size_t>(y) * sw * 3;
      float* out = &middle[static_cast<std::size_t>(y) * tw * 3];
      for (int x = 0; x < tw; ++x) {
        const float* w = &across.weights[static_cast<std::size_t>(x) * across.max_taps];
        const int* from = &across.sources[static_cast<std::size_t>(x) * across.max_taps];
        float acc[3] = {0, 0, 0};
        for (int k = 0; k < across.count[x]; ++k) {
          const uint8_t* p = in + from[k] * 3;
          acc[0] += w[k] * p[0];
          acc[1] += w[k] * p[1];
          acc[2] += w[k] * p[2];
        }
        for (int c = 0; c < 3; ++c) out[x * 3 + c] = acc[c];
      }
    }
    std::vector<float> row(static_cast<std::size_t>(tw) * 3);
    for (int y = 0; y < th; ++y) {
      const float* w = &down.weights[static_cast<std::size_t>(y) * down.max_taps];
      std::fill(row.begin(), row.end(), 0.0f);
      const int* from = &down.sources[static_cast<std::size_t>(y) * down.max_taps];
      for (int k = 0; k < down.count[y]; ++k) {
        const float* in = &middle[static_cast<std::size_t>(from[k]) * tw * 3];
        for (std::size_t x = 0; x < row.size(); ++x) row[x] += w[k] * in[x];
      }
      uint8_t* out = target + static_cast<std::size_t>(y) * tw * 3;
      for (std::size_t x = 0; x < row.size(); ++x) {
        out[x] = static_cast<uint8_t>(std::clamp(row[x], 0.0f, 255.0f) + 0.5f);
      }
    }
  } catch (const std::bad_alloc&) {
    return false;
  }
  return true;
}
