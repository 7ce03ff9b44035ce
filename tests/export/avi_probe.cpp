#include "avi_probe.h"

#include <cstdio>
#include <cstdlib>
#include <sstream>

namespace {

std::string RunCommand(const std::string& command) {
  std::string output;
  std::FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return output;
  char buffer[65536];
  std::size_t got;
  while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, got);
  pclose(pipe);
  return output;
}

std::string Quoted(const std::string& path) { return "'" + path + "'"; }

}  // namespace

bool ProbeAvi(const std::string& path, AviProbe* probe) {
  const std::string text = RunCommand(
      "ffprobe -v error -select_streams v:0 -count_frames -show_entries "
      "stream=codec_name,codec_tag_string,r_frame_rate,nb_read_frames,width,height:format=duration "
      "-of default=nw=1 " +
      Quoted(path) + " 2>/dev/null");
  if (text.empty()) return false;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    const std::size_t eq = line.find('=');
    if (eq == std::string::npos) continue;
    const std::string key = line.substr(0, eq);
    const std::string value = line.substr(eq + 1);
    if (key == "codec_name") probe->codec_name = value;
    if (key == "codec_tag_string") probe->codec_tag = value;
    if (key == "r_frame_rate") probe->frame_rate = value;
    if (key == "nb_read_frames") probe->frames = std::atoi(value.c_str());
    if (key == "width") probe->width = std::atoi(value.c_str());
    if (key == "height") probe->height = std::atoi(value.c_str());
    if (key == "duration") probe->duration = std::atof(value.c_str());
  }
  probe->complaints = RunCommand("ffmpeg -v warning -i " + Quoted(path) + " -f null - 2>&1");
  return true;
}

std::vector<std::vector<uint8_t>> DecodeAviFrames(const std::string& path, int width, int height) {
  const std::string bytes =
      RunCommand("ffmpeg -v error -i " + Quoted(path) + " -f rawvideo -pix_fmt bgr24 - 2>/dev/null");
  const std::size_t frame = static_cast<std::size_t>(width) * height * 3;
  std::vector<std::vector<uint8_t>> frames;
  for (std::size_t at = 0; frame > 0 && at + frame <= bytes.size(); at += frame) {
    frames.emplace_back(bytes.begin() + static_cast<std::ptrdiff_t>(at),
                        bytes.begin() + static_cast<std::ptrdiff_t>(at + frame));
  }
  return frames;
}

std::vector<uint8_t> FlipRows(const std::vector<uint8_t>& rows, int width, int height) {
  const std::size_t stride = static_cast<std::size_t>(width) * 3;
  std::vector<uint8_t> flipped(rows.size());
  for (int y = 0; y < height; ++y) {
    std::copy(rows.begin() + static_cast<std::ptrdiff_t>(stride * y),
              rows.begin() + static_cast<std::ptrdiff_t>(stride * (y + 1)),
              flipped.begin() + static_cast<std::ptrdiff_t>(stride * (height - 1 - y)));
  }
  return flipped;
}
