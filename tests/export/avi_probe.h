// ffprobe and ffmpeg as independent readers of the clip files.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct AviProbe {
  std::string codec_name;
  std::string codec_tag;
  std::string frame_rate;  // "6/1"
  int frames = -1;         // frames ffprobe decoded
  int width = 0;
  int height = 0;
  double duration = 0.0;   // seconds
  std::string complaints;  // what ffmpeg warns about while decoding it all; empty for a sound file
};

// False when ffprobe cannot read the file.
bool ProbeAvi(const std::string& path, AviProbe* probe);

// Every frame ffmpeg decodes, as top-down blue-green-red rows of width x height.
std::vector<std::vector<uint8_t>> DecodeAviFrames(const std::string& path, int width, int height);

// Bottom-up rows to top-down rows (or back).
std::vector<uint8_t> FlipRows(const std::vector<uint8_t>& rows, int width, int height);
