// plugwatch: starts the camera's launcher each time the camera is plugged in.
// It stays in the foreground with no window; "plugwatch exit" stops it.
#include <signal.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <climits>
#include <string>
#include <string_view>
#include <vector>

#include "monitor/check_log.h"
#include "monitor/launch.h"
#include "monitor/monitor_arguments.h"
#include "monitor/monitor_config.h"
#include "monitor/monitor_loop.h"
#include "monitor/presence.h"
#include "monitor/single_copy.h"

namespace {

std::string ProgramPath() {
  char path[PATH_MAX];
  ssize_t length = readlink("/proc/self/exe", path, sizeof path);
  if (length <= 0 || static_cast<size_t>(length) >= sizeof path) return {};
  return std::string(path, static_cast<size_t>(length));
}

}  // namespace

// Whatever happens, the result is 0: nothing that starts the monitor acts on it.
int main(int argc, char** argv) {
  std::vector<std::string_view> arguments(argv + 1, argv + argc);
  MonitorArguments options = ParseMonitorArguments(arguments);

  std::optional<MonitorPaths> paths = FindMonitorPaths();
  if (!paths) return 0;
  int running = ConnectToRunningCopy(*paths);
  if (running >= 0) {
    if (options.exit) SendMonitorCommand(running, MONCMD_EXIT);
    close(running);
    return 0;
  }
  if (options.exit) return 0;

  // Termination arrives through the loop like any other command, never in the
  // middle of a check or a start. A shell starting us in the background has
  // set SIGINT to be ignored, and an ignored signal never reaches the loop.
  signal(SIGTERM, SIG_DFL);
  signal(SIGINT, SIG_DFL);
  sigset_t termination;
  sigemptyset(&termination);
  sigaddset(&termination, SIGTERM);
  sigaddset(&termination, SIGINT);
  if (sigprocmask(SIG_BLOCK, &termination, nullptr) != 0) return 0;
  int signal_fd = signalfd(-1, &termination, SFD_CLOEXEC | SFD_NONBLOCK);
  if (signal_fd < 0 || !ReapCommandsAutomatically()) return 0;

  MonitorEndpoint endpoint;
  if (!OpenMonitorEndpoint(*paths, endpoint)) return 0;

  MonitorConfig config = LoadMonitorConfig(ProgramPath());
  CheckLog log(options.check_log);
  log.Line("item0", config.item0);
  log.Line("exec", config.exec);
  RunMonitor(endpoint, signal_fd, config, options.check_interval_ms, log);
  close(signal_fd);
  return 0;
}
