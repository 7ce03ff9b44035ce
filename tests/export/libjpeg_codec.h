// libjpeg as an independent reader (and writer, for comparing tables) of the
// encoder's streams. Only the tests and the benchmark link it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct DecodedJpeg {
  bool ok = false;
  std::string error;
  unsigned width = 0, height = 0, components = 0;
  std::vector<uint8_t> pixels;  // top-down, `components` bytes per pixel
};

enum class DecodeAs { kBgr, kYcc };

// kYcc keeps the stream's own components and repeats chroma samples instead of
// interpolating them, so a decoded sample can be compared with what was coded.
DecodedJpeg DecodeWithLibjpeg(const uint8_t* data, std::size_t size, DecodeAs as);

// Peak signal-to-noise ratio in dB of two equally long sample runs; 99 when equal.
double Psnr(const uint8_t* a, const uint8_t* b, std::size_t count, std::size_t stride = 1);
