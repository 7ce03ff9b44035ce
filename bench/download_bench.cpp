// The download's own cost per picture: the CPU time of the thread that runs
// DownloadPictures, against a virtual camera served from another thread of
// this process. The camera's waits go to a virtual clock (counted, never
// slept), and the camera's own work (rendering, encoding) is on its thread,
// so neither is in the figure. Wall time is printed beside it: that one
// includes the camera's side and the socket round trips.
#include <sys/stat.h>
#include <time.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "camera/camera_channel.h"
#include "camera/camera_commands.h"
#include "camera/download.h"
#include "camera/picture_store.h"
#include "camera/picture_table.h"
#include "camera/settings.h"
#include "platform/virtual_clock.h"
#include "simcam.h"
#include "ui/resources/language_state.h"

namespace {

double ThreadCpuUs() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) * 1e6 + static_cast<double>(t.tv_nsec) / 1e3;
}

double WallUs() {
  timespec t{};
  clock_gettime(CLOCK_MONOTONIC, &t);
  return static_cast<double>(t.tv_sec) * 1e6 + static_cast<double>(t.tv_nsec) / 1e3;
}

struct Figures {
  double cpu_us = 0;
  double wall_us = 0;
  double waited_ms = 0;
};

// Downloads `count` pictures of one size `rounds` times; per-picture figures of
// the best round (the least disturbed by the other users of the machine).
Figures Measure(const std::string& devices, int width, int height, int count, int rounds) {
  SimCamConfig config;
  for (int i = 0; i < count; ++i) {
    SimPicture p = MakePhoto(width, height, static_cast<uint32_t>(i + 1));
    const int rows = width > 2 * height ? 2 * height : height;
    // Flat pictures: the camera's side does as little as it can.
    p.rgb.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(rows) * 3, 0x60);
    config.pictures.push_back(p);
  }
  SimCamServer server(config);
  std::string error;
  if (!server.Start(devices + "/bench", &error)) {
    std::fprintf(stderr, "simcam: %s\n", error.c_str());
    std::exit(1);
  }
  Figures best;
  for (int round = 0; round < rounds; ++round) {
    ResetCameraChannel();
    ResetCameraState();
    ResetPictureTable();
    ScopedVirtualClock clock;
    if (!OpenCamera(nullptr)) {
      std::fprintf(stderr, "the camera did not open\n");
      std::exit(1);
    }
    const uint64_t waited_before = clock.clock.now;
    const double cpu0 = ThreadCpuUs();
    const double wall0 = WallUs();
    if (!DownloadPictures(nullptr, nullptr) || picture_table.picture_count != count) {
      std::fprintf(stderr, "the download failed\n");
      std::exit(1);
    }
    Figures f;
    f.cpu_us = (ThreadCpuUs() - cpu0) / count;
    f.wall_us = (WallUs() - wall0) / count;
    f.waited_ms = static_cast<double>(clock.clock.now - waited_before) / count;
    if (round == 0 || f.cpu_us < best.cpu_us) best = f;
  }
  server.Stop();
  return best;
}

}  // namespace

int main() {
  char root_template[] = "/tmp/download_bench.XXXXXX";
  const char* root = mkdtemp(root_template);
  if (root == nullptr) return 1;
  const std::string devices = std::string(root) + "/devices";
  const std::string tmp = std::string(root) + "/tmp";
  mkdir(devices.c_str(), 0700);
  mkdir(tmp.c_str(), 0700);
  setenv("SNAPSRC_DEVICES", devices.c_str(), 1);
  setenv("TMPDIR", tmp.c_str(), 1);
  setenv("SNAPSRC_UNATTENDED", (std::string(root) + "/boxes.log").c_str(), 1);
  setenv("SNAPSRC_REGISTRY", (std::string(root) + "/none.reg").c_str(), 1);
  ResetSettings();
  ResetLanguageState();
  if (!CreatePictureStore()) return 1;

  struct Size {
    int width, height, count;
  };
  const Size sizes[] = {{88, 72, 60}, {160, 120, 60}, {352, 288, 40}, {640, 480, 30}};
  std::printf("download: the source's own CPU time per picture (camera waits on a virtual clock)\n");
  std::printf("%-9s %8s %12s %12s %12s %14s\n", "size", "bytes", "cpu us/pic", "cpu MB/s", "wall us/pic",
              "camera ms/pic");
  for (const Size& s : sizes) {
    const Figures f = Measure(devices, s.width, s.height, s.count, 5);
    const double bytes = static_cast<double>(TransferSize(s.width, s.height));
    char name[16];
    std::snprintf(name, sizeof name, "%dx%d", s.width, s.height);
    std::printf("%-9s %8.0f %12.1f %12.1f %12.1f %14.1f\n", name, bytes, f.cpu_us, bytes / f.cpu_us, f.wall_us,
                f.waited_ms);
  }
  DeletePictureStore();
  std::filesystem::remove_all(root);
  return 0;
}
