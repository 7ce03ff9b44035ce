// plugwatch's command line. "exit" (any letter case, the whole argument) asks
// a running copy to quit; every other command line starts the monitor.
#pragma once

#include <string>
#include <string_view>
#include <vector>

inline constexpr int kCheckIntervalMs = 2000;

struct MonitorArguments {
  bool exit = false;
  // Hidden options for the tests, which must not wait whole periods:
  // --check-interval-ms=N (1 to 3600000) and --check-log=PATH (a line per
  // check, command and start, see check_log.h).
  int check_interval_ms = kCheckIntervalMs;
  std::string check_log;
};

MonitorArguments ParseMonitorArguments(const std::vector<std::string_view>& arguments);
