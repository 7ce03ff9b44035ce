// The sensor's side of the raw frame (described in kx3300_ip.h): colour filter
// phase, black level, companding curve and the trailer. The camera makes
// frames with these rules and the library undoes them with the same ones, so
// they live in one place.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>

enum MosaicColour : int { kMosaicRed = 0, kMosaicGreen = 1, kMosaicBlue = 2 };

constexpr int kMaxBlackLevel = 64;
constexpr int kUnityGain = 64;  // gains are in 64ths
constexpr std::size_t kTrailerBytes = 4;
constexpr uint8_t kTrailerCheckSeed = 0x5A;

// Colour of stored sample (x, y) for the readout window given by mode bits 0..1.
inline int MosaicColourAt(int x, int y, int mode) {
  int column = x + (mode & 1);
  int row = y + ((mode >> 1) & 1);
  if ((row & 1) == 0) return (column & 1) == 0 ? kMosaicRed : kMosaicGreen;
  return (column & 1) == 0 ? kMosaicGreen : kMosaicBlue;
}

inline int BlackLevel(int param20) { return std::clamp(param20, 0, kMaxBlackLevel); }

// Linear light 0..1 to an 8-bit sample over the black level.
inline uint8_t CompandSample(double linear, int black) {
  linear = std::clamp(linear, 0.0, 1.0);
  return static_cast<uint8_t>(black + std::lround((255 - black) * std::sqrt(linear)));
}

// An 8-bit sample back to linear light 0..1.
inline double ExpandSample(int sample, int black) {
  double x = std::clamp(static_cast<double>(sample - black) / (255 - black), 0.0, 1.0);
  return x * x;
}

inline uint8_t TrailerCheck(uint8_t red_gain, uint8_t blue_gain, uint8_t frame_number) {
  return static_cast<uint8_t>(red_gain ^ blue_gain ^ frame_number ^ kTrailerCheckSeed);
}

// The display's transfer curve (sRGB), both ways, on 0..1.
inline double DisplayToLinear(double v) {
  return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
}
inline double LinearToDisplay(double l) {
  l = std::clamp(l, 0.0, 1.0);
  return l <= 0.0031308 ? l * 12.92 : 1.055 * std::pow(l, 1.0 / 2.4) - 0.055;
}
