// Writing a clip file: our RGB to IYUV conversion and AVI writer against
// ffmpeg doing the same conversion (BT.601 limited range, 4:2:0) and writing
// the same AVI, in the same run, on the same 100 frames of 640 x 480.
// ffmpeg gets the frames through a pipe, as we get them in memory; its time
// includes its start-up, so it is also measured on one frame and the
// difference gives its cost per frame without start-up.
//
//   build/bin/avi_bench [rounds] [folder]
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "export/avi_writer.h"
#include "export/iyuv_convert.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kWidth = 640;
constexpr int kHeight = 480;
constexpr int kFrames = 100;

// Frames with smooth gradients, texture and motion, like a clip's.
std::vector<std::vector<uint8_t>> MakeFrames() {
  std::vector<std::vector<uint8_t>> frames;
  uint32_t seed = 12345;
  for (int f = 0; f < kFrames; ++f) {
    std::vector<uint8_t> frame(static_cast<std::size_t>(kWidth) * kHeight * 3);
    for (int y = 0; y < kHeight; ++y) {
      for (int x = 0; x < kWidth; ++x) {
        seed = seed * 1664525u + 1013904223u;
        const int noise = static_cast<int>(seed >> 28) - 8;
        uint8_t* p = &frame[(static_cast<std::size_t>(y) * kWidth + x) * 3];
        p[0] = static_cast<uint8_t>(std::clamp((x + 2 * f) * 255 / kWidth + noise, 0, 255));
        p[1] = static_cast<uint8_t>(std::clamp(y * 255 / kHeight + noise, 0, 255));
        p[2] = static_cast<uint8_t>(std::clamp(((x ^ y) + 3 * f) & 255, 0, 255));
      }
    }
    frames.push_back(std::move(frame));
  }
  return frames;
}

// Both files' frames as planar YUV 4:2:0, through ffmpeg.
std::vector<uint8_t> YuvOf(const std::string& path) {
  std::vector<uint8_t> bytes;
  std::FILE* pipe = popen(("ffmpeg -v error -i '" + path + "' -f rawvideo -pix_fmt yuv420p - 2>/dev/null").c_str(), "r");
  if (pipe == nullptr) return bytes;
  uint8_t buffer[65536];
  std::size_t got;
  while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) bytes.insert(bytes.end(), buffer, buffer + got);
  pclose(pipe);
  return bytes;
}

// Largest difference and PSNR over the luma planes, then over the chroma planes.
void ComparePlanes(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
  const std::size_t luma = static_cast<std::size_t>(kWidth) * kHeight;
  const std::size_t frame = IyuvFrameBytes(kWidth, kHeight);
  if (a.size() != b.size() || a.size() != frame * kFrames) {
    std::printf("  planes: sizes differ (%zu, %zu)\n", a.size(), b.size());
    return;
  }
  int max_diff[2] = {0, 0};
  double squares[2] = {0, 0};
  std::size_t counts[2] = {0, 0};
  for (std::size_t i = 0; i < a.size(); ++i) {
    const int plane = i % frame < luma ? 0 : 1;
    const int d = std::abs(int{a[i]} - int{b[i]});
    max_diff[plane] = std::max(max_diff[plane], d);
    squares[plane] += double(d) * d;
    ++counts[plane];
  }
  for (int plane = 0; plane < 2; ++plane) {
    const double mse = squares[plane] / double(counts[plane]);
    std::printf("  %s planes, ours against ffmpeg's: largest difference %d, PSNR %.1f dB\n",
                plane == 0 ? "luma  " : "chroma", max_diff[plane], mse == 0 ? 99.0 : 10 * std::log10(255.0 * 255.0 / mse));
  }
}

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

double OursMs(const std::vector<std::vector<uint8_t>>& frames, const std::string& path) {
  const auto start = Clock::now();
  AviWriter writer;
  if (!writer.Open(path, 6, kWidth, kHeight)) return -1;
  for (int j = 0; j < static_cast<int>(frames.size()); ++j) writer.WriteFrame(j, frames[j].data(), frames[j].size());
  if (!writer.Finish()) return -1;
  return Ms(Clock::now() - start);
}

double ConversionOnlyMs(const std::vector<std::vector<uint8_t>>& frames) {
  std::vector<uint8_t> out(IyuvFrameBytes(kWidth, kHeight));
  const auto start = Clock::now();
  for (const auto& frame : frames) BgrToIyuv(frame.data(), kWidth, kHeight, out.data());
  volatile uint8_t sink = out[out.size() / 2];
  (void)sink;
  return Ms(Clock::now() - start);
}

double FfmpegMs(const std::vector<std::vector<uint8_t>>& frames, int count, const std::string& path) {
  const std::string command = "ffmpeg -v error -y -f rawvideo -pix_fmt bgr24 -s " + std::to_string(kWidth) + "x" +
                              std::to_string(kHeight) + " -r 6 -i - -vf vflip -c:v rawvideo -pix_fmt yuv420p " +
                              "-vtag IYUV -f avi '" + path + "'";
  const auto start = Clock::now();
  std::FILE* pipe = popen(command.c_str(), "w");
  if (pipe == nullptr) return -1;
  for (int j = 0; j < count; ++j) std::fwrite(frames[j].data(), 1, frames[j].size(), pipe);
  if (pclose(pipe) != 0) return -1;
  return Ms(Clock::now() - start);
}

}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
  const std::string folder = argc > 2 ? argv[2] : "/tmp";
  const std::vector<std::vector<uint8_t>> frames = MakeFrames();
  const std::string ours_path = folder + "/avi_bench_ours.avi";
  const std::string theirs_path = folder + "/avi_bench_ffmpeg.avi";

  double ours = 1e30, convert = 1e30, theirs = 1e30, theirs_one = 1e30;
  for (int r = 0; r < rounds; ++r) {
    ours = std::min(ours, OursMs(frames, ours_path));
    convert = std::min(convert, ConversionOnlyMs(frames));
    theirs = std::min(theirs, FfmpegMs(frames, kFrames, theirs_path));
    theirs_one = std::min(theirs_one, FfmpegMs(frames, 1, theirs_path));
  }
  if (ours < 0 || theirs < 0) {
    std::fprintf(stderr, "avi_bench: a writer failed (is ffmpeg installed?)\n");
    return 1;
  }
  const double theirs_frames = std::max(theirs - theirs_one, 1e-3) * kFrames / (kFrames - 1);
  std::printf("clip of %d frames, %dx%d, best of %d rounds\n", kFrames, kWidth, kHeight, rounds);
  std::printf("  ours   (convert + write):      %8.1f ms  (%.2f ms/frame; conversion alone %.1f ms)\n", ours,
              ours / kFrames, convert);
  std::printf("  ffmpeg (convert + write):      %8.1f ms  (with start-up; %.1f ms for one frame)\n", theirs,
              theirs_one);
  std::printf("  ffmpeg without start-up (est.):%8.1f ms\n", theirs_frames);
  std::printf("  ratio ffmpeg / ours:           %8.2f  (without ffmpeg's start-up: %.2f)\n", theirs / ours,
              theirs_frames / ours);
  FfmpegMs(frames, kFrames, theirs_path);
  ComparePlanes(YuvOf(ours_path), YuvOf(theirs_path));
  std::remove(ours_path.c_str());
  std::remove(theirs_path.c_str());
  return 0;
}
