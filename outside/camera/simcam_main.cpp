// simcam: the virtual camera as a daemon. Everything it does lives in the
// simcam library; this is option handling, the image folder and the wait.
#include <sys/stat.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>

#include "image_folder.h"
#include "sim_options.h"
#include "simcam.h"

namespace {

std::string DevicesDirectory(const SimCamOptions& options) {
  if (!options.devices_dir.empty()) return options.devices_dir;
  const char* env = std::getenv("SNAPSRC_DEVICES");
  return env != nullptr && *env != '\0' ? env : "/run/snapsrc";
}

}  // namespace

int main(int argc, char** argv) {
  SimCamOptions options;
  std::string error;
  if (!ParseSimCommandLine(argc, argv, options, &error)) {
    std::fprintf(stderr, "simcam: %s (see simcam --help)\n", error.c_str());
    return 2;
  }
  if (options.help) {
    std::fputs(SimCamUsage().c_str(), stdout);
    return 0;
  }
  FinishSimPictures(options);
  for (const std::string& folder : options.folders) {
    std::vector<std::string> skipped;
    int n = LoadImageFolder(folder, options.folder_width, options.folder_height, options.camera.pictures, &skipped);
    for (const std::string& name : skipped) std::fprintf(stderr, "simcam: %s/%s is not an image Qt reads\n", folder.c_str(), name.c_str());
    if (n == 0) std::fprintf(stderr, "simcam: no images in %s\n", folder.c_str());
  }

  const std::string dir = DevicesDirectory(options);
  mkdir(dir.c_str(), 0755);  // fine when it exists
  const std::string path = dir + "/" + options.socket_name;

  // The signals are waited for below, not handled asynchronously; block them
  // before the server starts its threads so they all inherit the mask.
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGTERM);
  sigaddset(&signals, SIGHUP);
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);

  const std::size_t picture_total = options.camera.pictures.size();
  const std::string name = options.camera.friendly_name;
  SimCamServer server(std::move(options.camera));
  if (!server.Start(path, &error)) {
    std::fprintf(stderr, "simcam: cannot listen: %s\n", error.c_str());
    std::fprintf(stderr, "simcam: choose a device directory you may write with --devices DIR or SNAPSRC_DEVICES\n");
    return 1;
  }
  std::printf("simcam: \"%s\" with %zu picture%s listening on %s\n", name.c_str(), picture_total,
              picture_total == 1 ? "" : "s", path.c_str());
  std::fflush(stdout);

  for (;;) {
    timespec tick{0, 200 * 1000 * 1000};
    int sig = sigtimedwait(&signals, nullptr, &tick);
    if (sig > 0) break;
    if (server.Gone()) {
      std::printf("simcam: the camera went away\n");
      break;
    }
  }
  server.Stop();
  return 0;
}
