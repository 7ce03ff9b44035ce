#include "imaging_scene.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

namespace {

struct Random {
  uint32_t state;
  double Next() {
    state = state * 1664525u + 1013904223u;
    return (state >> 8) / 16777216.0;
  }
};

struct Wave {
  double fu, fv, phase, amplitude;
};

struct Shape {
  bool disc;
  double cu, cv, ru, rv;  // centre and half-sizes, in fractions of the picture
  double colour[3];
};

// Value noise on a grid of 40 x 30 cells over the picture, smoothly
// interpolated: the grass and gravel of the ground. Smaller pictures of the
// same scene carry it at a finer pitch, as a camera's smaller sizes do.
class GroundNoise {
 public:
  explicit GroundNoise(Random& random) {
    for (double& v : lattice_) v = random.Next() * 2 - 1;
  }
  double At(double u, double v) const {
    const double gx = u * kCellsX, gy = v * kCellsY;
    const int ix = static_cast<int>(gx), iy = static_cast<int>(gy);
    const double fx = Smooth(gx - ix), fy = Smooth(gy - iy);
    auto node = [&](int x, int y) { return lattice_[(y % (kCellsY + 1)) * (kCellsX + 1) + x % (kCellsX + 1)]; };
    const double top = node(ix, iy) * (1 - fx) + node(ix + 1, iy) * fx;
    const double bottom = node(ix, iy + 1) * (1 - fx) + node(ix + 1, iy + 1) * fx;
    return top * (1 - fy) + bottom * fy;
  }

 private:
  static constexpr int kCellsX = 40, kCellsY = 30;
  static double Smooth(double t) { return t * t * (3 - 2 * t); }
  double lattice_[(kCellsX + 1) * (kCellsY + 1)];
};

// Coverage of a shape edge at signed distance d (pixels), as a lens of about
// one pixel's blur would leave it.
double Coverage(double d) { return std::clamp(0.5 - d / 1.5, 0.0, 1.0); }

}  // namespace

std::vector<uint8_t> MakeScene(int width, int height, int variant) {
  Random random{static_cast<uint32_t>(2166136261u + 7919u * static_cast<uint32_t>(variant))};
  Wave waves[6];
  for (auto& w : waves) {
    w = {1 + random.Next() * 9, 1 + random.Next() * 9, random.Next() * 6.283, 4 + random.Next() * 8};
  }
  Shape shapes[7];
  for (auto& s : shapes) {
    s.disc = random.Next() < 0.5;
    s.cu = 0.1 + random.Next() * 0.8;
    s.cv = 0.15 + random.Next() * 0.75;
    s.ru = 0.05 + random.Next() * 0.15;
    s.rv = 0.05 + random.Next() * 0.15;
    for (double& c : s.colour) c = 30 + random.Next() * 200;
  }
  const GroundNoise noise(random);
  const double horizon = 0.45 + 0.1 * random.Next();
  const double sky_top[3] = {70, 110, 190}, sky_low[3] = {180, 205, 230};
  const double ground_near[3] = {60, 90, 35}, ground_far[3] = {120, 135, 80};

  // sin(a + b) = sin a cos b + cos a sin b keeps the texture's waves to
  // tables of one row and one column.
  std::vector<double> wave_u(static_cast<std::size_t>(width) * 12), wave_v(12);
  for (int x = 0; x < width; ++x) {
    const double u = (x + 0.5) / width;
    for (int k = 0; k < 6; ++k) {
      wave_u[x * 12 + 2 * k] = std::sin(6.283 * waves[k].fu * u);
      wave_u[x * 12 + 2 * k + 1] = std::cos(6.283 * waves[k].fu * u);
    }
  }
  std::vector<uint8_t> rgb(static_cast<std::size_t>(width) * height * 3);
  for (int y = 0; y < height; ++y) {
    const double v = (y + 0.5) / height;
    for (int k = 0; k < 6; ++k) {
      const double phase = 6.283 * waves[k].fv * v + waves[k].phase;
      wave_v[2 * k] = waves[k].amplitude / 3 * std::cos(phase);
      wave_v[2 * k + 1] = waves[k].amplitude / 3 * std::sin(phase);
    }
    for (int x = 0; x < width; ++x) {
      const double u = (x + 0.5) / width;
      double colour[3];
      // A rolling horizon between sky and ground, softened over a few pixels.
      const double edge = horizon + 0.03 * std::sin(u * 9.0 + variant);
      const double ground = Coverage((edge - v) * height);
      for (int c = 0; c < 3; ++c) {
        const double sky = sky_top[c] + (sky_low[c] - sky_top[c]) * std::clamp(v / edge, 0.0, 1.0);
        const double land =
            ground_far[c] + (ground_near[c] - ground_far[c]) * std::clamp((v - edge) / (1 - edge), 0.0, 1.0);
        colour[c] = sky * (1 - ground) + (land + 14 * noise.At(u, v)) * ground;
      }
      for (const auto& s : shapes) {
        const double du = (u - s.cu) / s.ru, dv = (v - s.cv) / s.rv;
        if (std::fabs(du) > 1.5 || std::fabs(dv) > 1.5) continue;  // beyond the shape's blurred edge
        double distance;  // in pixels, negative inside
        if (s.disc) {
          const double r = std::sqrt(du * du + dv * dv);
          distance = (r - 1) * std::min(s.ru * width, s.rv * height);
        } else {
          distance = std::max((std::fabs(du) - 1) * s.ru * width, (std::fabs(dv) - 1) * s.rv * height);
        }
        const double a = Coverage(distance);
        if (a <= 0) continue;
        // Shapes are lit from above: a gentle shading across them.
        const double shade = 1.0 - 0.25 * std::clamp(dv, -1.0, 1.0) * 0.5;
        for (int c = 0; c < 3; ++c) colour[c] = colour[c] * (1 - a) + s.colour[c] * shade * a;
      }
      double texture = 0;
      for (int k = 0; k < 12; ++k) texture += wave_u[x * 12 + k] * wave_v[k];
      uint8_t* out = &rgb[(static_cast<std::size_t>(y) * width + x) * 3];
      for (int c = 0; c < 3; ++c) {
        out[c] = static_cast<uint8_t>(std::lround(std::clamp(colour[c] + texture, 0.0, 255.0)));
      }
    }
  }
  return rgb;
}

double PictureSnr(const std::vector<uint8_t>& rgb, const uint8_t* bgr, int width, int height) {
  double squared = 0;
  for (int y = 0; y < height; ++y) {
    const uint8_t* a = &rgb[static_cast<std::size_t>(y) * width * 3];
    const uint8_t* b = bgr + static_cast<std::size_t>(height - 1 - y) * width * 3;
    for (int x = 0; x < width; ++x) {
      for (int c = 0; c < 3; ++c) {
        const double d = static_cast<double>(a[x * 3 + c]) - b[x * 3 + 2 - c];
        squared += d * d;
      }
    }
  }
  const double mse = squared / (static_cast<double>(width) * height * 3);
  return mse == 0 ? 99.0 : 10 * std::log10(255.0 * 255.0 / mse);
}
