// Pictures for the JPEG encoder's tests and benchmark: a synthetic natural
// scene (smooth shading, soft and hard edges, fine texture) and uniform noise,
// both as top-down blue-green-red rows, deterministic for a given size.
#pragma once

#include <cmath>
#include <cstdint>
#include <vector>

inline std::vector<uint8_t> MakeNoiseBgr(unsigned width, unsigned height, uint32_t seed = 1) {
  std::vector<uint8_t> pixels(3 * static_cast<std::size_t>(width) * height);
  uint32_t state = seed * 2654435761u + 1;
  for (auto& byte : pixels) {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    byte = static_cast<uint8_t>(state >> 24);
  }
  return pixels;
}

inline std::vector<uint8_t> MakeNaturalBgr(unsigned width, unsigned height) {
  std::vector<uint8_t> pixels(3 * static_cast<std::size_t>(width) * height);
  auto clamp = [](double v) { return static_cast<uint8_t>(v < 0 ? 0 : (v > 255 ? 255 : v + 0.5)); };
  const double w = width, h = height;
  uint32_t grain = 12345;
  for (unsigned y = 0; y < height; ++y) {
    for (unsigned x = 0; x < width; ++x) {
      const double u = x / w, v = y / h;
      // Sky above a horizon, grass below it.
      double r, g, b;
      if (v < 0.55 + 0.05 * std::sin(u * 7.0)) {
        r = 90 + 80 * v;
        g = 140 + 60 * v;
        b = 230 - 40 * v;
      } else {
        r = 70 + 30 * std::sin(u * 40 + v * 13);
        g = 130 + 25 * std::sin(u * 23 - v * 31);
        b = 50 + 10 * std::cos(u * 17);
      }
      // A sun with a soft rim, and a house with hard edges.
      const double du = (u - 0.75) * w / h, dv = v - 0.25;
      const double sun = std::exp(-(du * du + dv * dv) * 90);
      r += (255 - r) * sun;
      g += (235 - g) * sun;
      b += (150 - b) * sun;
      if (u > 0.15 && u < 0.45 && v > 0.45 && v < 0.8) {
        const bool window = std::fmod(u * 20, 2.0) < 0.9 && std::fmod(v * 16, 2.0) < 1.0;
        r = window ? 250 : 180 + 20 * v;
        g = window ? 240 : 90 + 10 * u;
        b = window ? 170 : 60;
      }
      // Fine sensor grain of a couple of levels.
      grain = grain * 1103515245u + 12345u;
      const double n = static_cast<double>((grain >> 16) & 3) - 1.5;
      uint8_t* p = &pixels[3 * (static_cast<std::size_t>(y) * width + x)];
      p[0] = clamp(b + n);
      p[1] = clamp(g + n);
      p[2] = clamp(r + n);
    }
  }
  // The softness of a small lens and of demosaicing: a 1-2-1 blur each way.
  std::vector<uint8_t> soft(pixels.size());
  auto at = [&](const std::vector<uint8_t>& p, unsigned x, unsigned y, int c) {
    return static_cast<int>(p[3 * (static_cast<std::size_t>(y) * width + x) + c]);
  };
  for (int pass = 0; pass < 2; ++pass) {
    for (unsigned y = 0; y < height; ++y) {
      for (unsigned x = 0; x < width; ++x) {
        for (int c = 0; c < 3; ++c) {
          int sum;
          if (pass == 0) {
            sum = at(pixels, x > 0 ? x - 1 : x, y, c) + 2 * at(pixels, x, y, c) +
                  at(pixels, x + 1 < width ? x + 1 : x, y, c);
          } else {
            sum = at(pixels, x, y > 0 ? y - 1 : y, c) + 2 * at(pixels, x, y, c) +
                  at(pixels, x, y + 1 < height ? y + 1 : y, c);
          }
          soft[3 * (static_cast<std::size_t>(y) * width + x) + c] = static_cast<uint8_t>((sum + 2) / 4);
        }
      }
    }
    pixels.swap(soft);
  }
  return pixels;
}

// Smooth colour ramps across the whole picture, whatever its size.
inline std::vector<uint8_t> MakeGradientBgr(unsigned width, unsigned height) {
  std::vector<uint8_t> pixels(3 * static_cast<std::size_t>(width) * height);
  for (unsigned y = 0; y < height; ++y) {
    for (unsigned x = 0; x < width; ++x) {
      uint8_t* p = &pixels[3 * (static_cast<std::size_t>(y) * width + x)];
      p[0] = static_cast<uint8_t>(60 + 120 * (x + 2 * y) / (width + 2 * height));
      p[1] = static_cast<uint8_t>(90 + 100 * (2 * x + y) / (2 * width + height));
      p[2] = static_cast<uint8_t>(200 - 90 * (x + y) / (width + height));
    }
  }
  return pixels;
}
