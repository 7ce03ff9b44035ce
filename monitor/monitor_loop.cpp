#include "monitor/monitor_loop.h"

#include <poll.h>
#include <sys/signalfd.h>
#include <sys/socket.h>
#include <sys/timerfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <deque>
#include <string>
#include <vector>

#include "monitor/launch.h"
#include "monitor/presence.h"
#include "monitor/usb_devices.h"

namespace {

// Connections of other copies waiting to deliver their command. Few are ever
// open at once; beyond this the oldest is dropped so nobody can pile them up.
constexpr size_t kMaxPendingConnections = 16;

struct Connection {
  int fd = -1;
  uint8_t bytes[4] = {};
  size_t received = 0;
};

struct Monitor {
  MonitorEndpoint& endpoint;
  const MonitorConfig& config;
  CheckLog& log;
  PresenceState presence;
  std::deque<uint16_t> posted;
  std::vector<Connection> connections;
  bool running = true;

  void Close() {
    // The endpoint goes first, so that whoever asked us to quit can start a new
    // copy as soon as it has our answer.
    CloseMonitorEndpoint(endpoint);
    running = false;
  }

  void Handle(uint16_t command) {
    log.Line("command", std::to_string(command));
    switch (command) {
      case MONCMD_EXIT:
      case MONCMD_CLOSE:
        Close();
        break;
      case MONCMD_DEVICE_ARRIVED:
        // A failed start is not retried: the flag stays set until the device
        // has gone and come back.
        log.Line("start", StartCommandLine(config.exec) ? "ok" : "failed");
        break;
      default:
        break;
    }
  }

  void Check() {
    bool found = FindUsbDevice(config.item0);
    log.Line("check", found ? "1" : "0");
    if (uint16_t command = UpdatePresence(presence, found)) posted.push_back(command);
  }

  void Accept() {
    for (;;) {
      int fd = accept4(endpoint.listen_fd, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
      if (fd < 0) return;
      // The runtime folder is private already; this also holds if it is not.
      ucred peer{};
      socklen_t size = sizeof peer;
      if (getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &size) != 0 || peer.uid != getuid()) {
        close(fd);
        continue;
      }
      if (connections.size() == kMaxPendingConnections) {
        close(connections.front().fd);
        connections.erase(connections.begin());
      }
      connections.push_back(Connection{fd});
    }
  }

  // True when the connection is finished with.
  bool Receive(Connection& connection) {
    ssize_t got = recv(connection.fd, connection.bytes + connection.received,
                       sizeof connection.bytes - connection.received, 0);
    if (got < 0) return errno != EAGAIN && errno != EINTR;
    if (got == 0) return true;
    connection.received += static_cast<size_t>(got);
    if (connection.received < sizeof connection.bytes) return false;
    uint32_t identifier;
    static_assert(sizeof identifier == sizeof connection.bytes);
    std::memcpy(&identifier, connection.bytes, sizeof identifier);
    Handle(static_cast<uint16_t>(identifier & 0xFFFF));
    char answer = 1;
    [[maybe_unused]] ssize_t sent = send(connection.fd, &answer, 1, MSG_NOSIGNAL | MSG_DONTWAIT);
    return true;
  }
};

}  // namespace

void RunMonitor(MonitorEndpoint& endpoint, int signal_fd, const MonitorConfig& config, int interval_ms,
                CheckLog& log) {
  Monitor monitor{endpoint, config, log, {}, {}, {}};
  int timer_fd = timerfd_create(CLOCK_MONOTONIC, TFD_CLOEXEC | TFD_NONBLOCK);
  if (timer_fd < 0) {
    CloseMonitorEndpoint(endpoint);
    return;
  }
  // The first expiry comes at once: a camera already plugged in is found
  // without waiting for a period.
  itimerspec period{};
  period.it_interval.tv_sec = interval_ms / 1000;
  period.it_interval.tv_nsec = static_cast<long>(interval_ms % 1000) * 1000000;
  period.it_value.tv_nsec = 1;
  timerfd_settime(timer_fd, 0, &period, nullptr);

  std::vector<pollfd> watched;
  while (monitor.running) {
    while (!monitor.posted.empty() && monitor.running) {
      uint16_t command = monitor.posted.front();
      monitor.posted.pop_front();
      monitor.Handle(command);
    }
    if (!monitor.running) break;

    watched.assign({{signal_fd, POLLIN, 0}, {timer_fd, POLLIN, 0}, {endpoint.listen_fd, POLLIN, 0}});
    for (const Connection& connection : monitor.connections) watched.push_back({connection.fd, POLLIN, 0});
    if (poll(watched.data(), watched.size(), -1) < 0) {
      if (errno == EINTR) continue;
      break;
    }

    if (watched[0].revents != 0) {
      signalfd_siginfo info;
      [[maybe_unused]] ssize_t got = read(signal_fd, &info, sizeof info);
      monitor.Close();
      break;
    }
    if (watched[1].revents != 0) {
      // Expiries missed while busy collapse into one check, as timer messages do.
      uint64_t expiries;
      if (read(timer_fd, &expiries, sizeof expiries) == static_cast<ssize_t>(sizeof expiries)) monitor.Check();
    }
    // Connections first: the ones accepted now are not in this round's results.
    size_t count = monitor.connections.size();
    for (size_t i = 0, slot = 3; i < count && monitor.running; ++slot) {
      Connection& connection = monitor.connections[i];
      if (watched[slot].revents != 0 && monitor.Receive(connection)) {
        close(connection.fd);
        monitor.connections.erase(monitor.connections.begin() + static_cast<ptrdiff_t>(i));
        --count;
      } else {
        ++i;
      }
    }
    if (monitor.running && watched[2].revents != 0) monitor.Accept();
  }

  for (Connection& connection : monitor.connections) close(connection.fd);
  close(timer_fd);
  CloseMonitorEndpoint(endpoint);
}
