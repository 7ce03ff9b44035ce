#include "scenes.h"

#include <algorithm>
#include <cmath>

uint32_t SceneHash(uint32_t x) {
  x ^= x >> 16;
  x *= 0x7FEB352Du;
  x ^= x >> 15;
  x *= 0x846CA68Bu;
  x ^= x >> 16;
  return x;
}

namespace {

uint32_t Hash3(uint32_t a, uint32_t b, uint32_t c) { return SceneHash(a ^ SceneHash(b ^ SceneHash(c))); }

float Unit(uint32_t h) { return static_cast<float>(h & 0xFFFFFF) / static_cast<float>(0xFFFFFF); }

float Smooth(float t) { return t * t * (3.0f - 2.0f * t); }

float Mix(float a, float b, float t) { return a + (b - a) * t; }

// Value noise on an integer lattice, 0..1.
float Noise2(uint32_t seed, float x, float y) {
  const float fx = std::floor(x);
  const float fy = std::floor(y);
  const auto ix = static_cast<int32_t>(fx);
  const auto iy = static_cast<int32_t>(fy);
  const float tx = Smooth(x - fx);
  const float ty = Smooth(y - fy);
  auto at = [&](int32_t dx, int32_t dy) {
    return Unit(Hash3(seed, static_cast<uint32_t>(ix + dx), static_cast<uint32_t>(iy + dy)));
  };
  return Mix(Mix(at(0, 0), at(1, 0), tx), Mix(at(0, 1), at(1, 1), tx), ty);
}

float Fractal2(uint32_t seed, float x, float y, int octaves) {
  float sum = 0.0f;
  float amplitude = 0.5f;
  float norm = 0.0f;
  for (int i = 0; i < octaves; ++i) {
    sum += amplitude * Noise2(seed + static_cast<uint32_t>(i) * 101u, x, y);
    norm += amplitude;
    x *= 2.03f;
    y *= 2.03f;
    amplitude *= 0.5f;
  }
  return sum / norm;
}

float Fractal1(uint32_t seed, float x, int octaves) { return Fractal2(seed, x, 0.5f, octaves); }

struct Rgb {
  float r, g, b;
};

Rgb MixRgb(Rgb a, Rgb b, float t) { return {Mix(a.r, b.r, t), Mix(a.g, b.g, t), Mix(a.b, b.b, t)}; }
Rgb Scale(Rgb a, float s) { return {a.r * s, a.g * s, a.b * s}; }

struct Palette {
  Rgb sky_top, sky_horizon, sun, cloud, far_hills, near_hills, near_hills_dry, trees, water;
};

constexpr Palette kPalettes[] = {
    // a clear day
    {{60, 110, 200}, {170, 205, 235}, {255, 250, 225}, {250, 250, 252}, {110, 135, 170}, {70, 140, 60},
     {150, 150, 70}, {30, 70, 35}, {60, 100, 150}},
    // an evening
    {{70, 60, 130}, {250, 160, 90}, {255, 220, 150}, {240, 170, 150}, {110, 80, 120}, {70, 90, 50},
     {120, 100, 60}, {30, 35, 30}, {120, 80, 110}},
    // a grey morning
    {{130, 140, 155}, {200, 205, 210}, {240, 240, 230}, {225, 228, 232}, {120, 130, 140}, {90, 120, 80},
     {130, 125, 95}, {45, 65, 50}, {100, 115, 125}},
    // a summer afternoon
    {{40, 120, 215}, {190, 220, 240}, {255, 255, 235}, {255, 255, 255}, {90, 120, 150}, {95, 160, 55},
     {185, 170, 80}, {35, 85, 30}, {50, 120, 170}},
};

}  // namespace

std::vector<uint8_t> RenderScene(const SimScene& scene, int width, int height) {
  if (width <= 0 || height <= 0) return {};
  std::vector<uint8_t> out(static_cast<std::size_t>(width) * height * 3);
  const uint32_t seed = SceneHash(scene.seed * 2654435761u + 17);
  const Palette& pal = kPalettes[seed % (sizeof kPalettes / sizeof kPalettes[0])];
  const int frames = std::max(scene.frames, 1);
  const float t = frames > 1 ? static_cast<float>(scene.frame) / static_cast<float>(frames - 1) : 0.0f;

  // The scene in picture-independent coordinates: u across 0..aspect, v down 0..1.
  const float aspect = 4.0f / 3.0f;
  const float pan = 0.35f * t;  // the camera pans to the right during a clip
  const float horizon = 0.45f + 0.1f * Unit(SceneHash(seed + 1));
  const float lake = Unit(SceneHash(seed + 2)) < 0.5f ? 0.85f : 2.0f;  // some scenes have a lake in front
  const float sun_u = 0.2f + 0.9f * Unit(SceneHash(seed + 3)) - 0.5f * pan;
  const float sun_v = horizon - 0.15f - 0.2f * Unit(SceneHash(seed + 4)) + 0.05f * t;
  const float sun_r = 0.05f;
  // A ball that bounces from left to right across a clip.
  const bool has_ball = frames > 1;
  const float ball_u = 0.1f + 1.1f * t;
  const float ball_v = 0.92f - 0.35f * std::fabs(std::sin(t * 3.14159f * 3.0f));
  const float ball_r = 0.045f;

  // The ridges depend on the column only.
  std::vector<float> far_ridges(static_cast<std::size_t>(width));
  std::vector<float> near_ridges(static_cast<std::size_t>(width));
  for (int x = 0; x < width; ++x) {
    const float u = (static_cast<float>(x) + 0.5f) / static_cast<float>(width) * aspect;
    far_ridges[static_cast<std::size_t>(x)] = horizon - 0.16f * Fractal1(seed + 10, (u + pan * 0.4f) * 2.5f, 5);
    near_ridges[static_cast<std::size_t>(x)] = horizon + 0.08f - 0.12f * Fractal1(seed + 20, (u + pan) * 1.6f, 4);
  }

  for (int y = 0; y < height; ++y) {
    const float v = (static_cast<float>(y) + 0.5f) / static_cast<float>(height);
    for (int x = 0; x < width; ++x) {
      const float u = (static_cast<float>(x) + 0.5f) / static_cast<float>(width) * aspect;
      Rgb c;
      const float grain = Fractal2(seed + 70, (u + pan) * 80.0f, v * 80.0f, 2);
      const float far_ridge = far_ridges[static_cast<std::size_t>(x)];
      const float near_ridge = near_ridges[static_cast<std::size_t>(x)];
      if (v < far_ridge) {
        // Sky with sun and clouds.
        const float s = std::clamp(v / horizon, 0.0f, 1.0f);
        c = MixRgb(pal.sky_top, pal.sky_horizon, std::pow(s, 1.6f));
        const float du = u - sun_u;
        const float dv = v - sun_v;
        const float d = std::sqrt(du * du + dv * dv);
        if (d < sun_r) {
          c = pal.sun;
        } else {
          c = MixRgb(c, pal.sun, 0.35f * std::exp(-(d - sun_r) * 12.0f));
        }
        const float cloud = Fractal2(seed + 30, (u + pan * 0.7f + 0.3f * t) * 3.0f, v * 7.0f, 5);
        const float cover = std::clamp((cloud - 0.52f) * 3.0f, 0.0f, 1.0f) * (1.0f - 0.5f * s);
        c = MixRgb(c, pal.cloud, cover);
      } else if (v < near_ridge) {
        // Far hills, hazier near the horizon.
        const float shade = 0.85f + 0.3f * Fractal2(seed + 40, (u + pan * 0.4f) * 12.0f, v * 12.0f, 3);
        c = MixRgb(Scale(pal.far_hills, shade), pal.sky_horizon, 0.25f);
      } else if (v > lake) {
        // A lake mirroring the sky, with ripples.
        const float ripple = Fractal2(seed + 50, (u + pan) * 30.0f, v * 90.0f, 2);
        c = MixRgb(pal.water, pal.sky_horizon, 0.3f + 0.3f * ripple);
      } else {
        // Near hills: grass with dry patches, darker towards the front.
        const float patch = Fractal2(seed + 60, (u + pan) * 5.0f, v * 5.0f, 4);
        c = MixRgb(pal.near_hills, pal.near_hills_dry, std::clamp((patch - 0.45f) * 2.5f, 0.0f, 1.0f));
        c = Scale(c, 0.8f + 0.35f * grain - 0.15f * (v - horizon));
      }
      // Conifers standing on the near ridge, drawn over whatever is behind them.
      const float tree_u = (u + pan) * 7.0f;
      const float cell = std::floor(tree_u);
      const uint32_t th = Hash3(seed + 80, static_cast<uint32_t>(static_cast<int32_t>(cell)), 7);
      if (Unit(th) < 0.5f) {
        const float cx = cell + 0.3f + 0.4f * Unit(SceneHash(th));
        const float foot = horizon + 0.08f - 0.12f * Fractal1(seed + 20, (cx / 7.0f) * 1.6f, 4);
        const float tree_h = 0.12f + 0.1f * Unit(SceneHash(th + 1));
        const float dy = (v - (foot - tree_h)) / tree_h;  // 0 at the top, 1 at the foot
        const float dx = std::fabs(tree_u - cx);
        if (dy > 0.0f && dy < 0.85f && dx < 0.3f * dy) {
          c = Scale(pal.trees, 0.75f + 0.5f * grain + 0.2f * (tree_u < cx ? 1.0f : 0.0f));
        } else if (dy >= 0.85f && dy < 1.0f && dx < 0.03f) {
          c = Rgb{70, 50, 35};
        }
      }
      if (has_ball) {
        const float du = u - ball_u;
        const float dv = v - ball_v;
        const float d2 = (du * du + dv * dv) / (ball_r * ball_r);
        if (d2 < 1.0f) {
          const float light = 0.55f + 0.45f * std::sqrt(1.0f - d2) - 0.3f * (du + dv) / ball_r;
          c = Scale(Rgb{220, 40, 35}, std::clamp(light, 0.3f, 1.2f));
        }
      }
      // A little sensor noise.
      const float noise = (Unit(Hash3(seed + static_cast<uint32_t>(scene.frame), static_cast<uint32_t>(x),
                                      static_cast<uint32_t>(y))) -
                           0.5f) *
                          6.0f;
      uint8_t* px = &out[(static_cast<std::size_t>(y) * width + x) * 3];
      px[0] = static_cast<uint8_t>(std::clamp(c.r + noise, 0.0f, 255.0f));
      px[1] = static_cast<uint8_t>(std::clamp(c.g + noise, 0.0f, 255.0f));
      px[2] = static_cast<uint8_t>(std::clamp(c.b + noise, 0.0f, 255.0f));
    }
  }
  return out;
}
