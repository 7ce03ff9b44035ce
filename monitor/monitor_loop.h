// The monitor's single thread: checks from a timer, commands posted by the
// checks and commands sent by other copies, until it is closed.
#pragma once

#include "monitor/check_log.h"
#include "monitor/monitor_config.h"
#include "monitor/single_copy.h"

// Runs until command 102 or 103 or SIGTERM/SIGINT (which the caller has
// blocked and hands over as `signal_fd`). The first check runs at once, then
// one every `interval_ms`. Closes the endpoint before it returns.
void RunMonitor(MonitorEndpoint& endpoint, int signal_fd, const MonitorConfig& config, int interval_ms,
                CheckLog& log);
