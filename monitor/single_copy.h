// One running monitor per user. The running copy holds a lock file and listens
// on a Unix socket, both named after its class and title, in the user's
// runtime directory (XDG_RUNTIME_DIR, else a private /tmp/plugwatch-<uid>).
// Another copy finds it by connecting and sends it commands through the
// socket: four bytes, a command identifier in host order, answered by one byte
// once the command has been handled.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

inline constexpr char kMonitorClass[] = "PLUGWATCH_CLASS";
inline constexpr char kMonitorTitle[] = "Camera Monitor";

struct MonitorPaths {
  std::string socket;
  std::string lock;
};

// The paths in the runtime directory, which is created for the fallback; nullopt
// when no safe directory is at hand.
std::optional<MonitorPaths> FindMonitorPaths();

// A connection to the running copy, or -1 when none listens (a socket file
// left by a killed copy listens to no one).
int ConnectToRunningCopy(const MonitorPaths& paths);

// Sends `command` and waits until the running copy has handled it (or has
// gone). False when it could not be sent.
bool SendMonitorCommand(int connection, uint32_t command);

// What the running copy holds; -1 for what it does not.
struct MonitorEndpoint {
  int lock_fd = -1;
  int listen_fd = -1;
  std::string socket_path;
};

// Takes the lock and listens, replacing a stale socket file. False when
// another copy holds the lock or the socket cannot be made.
bool OpenMonitorEndpoint(const MonitorPaths& paths, MonitorEndpoint& endpoint);

// Removes the socket and then drops the lock, so that a copy started the
// moment this returns can take over. Safe to call twice.
void CloseMonitorEndpoint(MonitorEndpoint& endpoint);
