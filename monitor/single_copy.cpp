#include "monitor/single_copy.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace {

// How long a copy started with "exit" waits for the running copy to answer; a
// copy that hangs must not hang the one asking it to quit.
constexpr int kAnswerTimeoutMs = 10000;

bool IsPrivateDirectory(const std::string& path) {
  struct stat info {};
  return lstat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == getuid() &&
         (info.st_mode & 077) == 0;
}

bool FillAddress(const std::string& path, sockaddr_un& address) {
  address = {};
  address.sun_family = AF_UNIX;
  if (path.size() >= sizeof address.sun_path) return false;
  std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
  return true;
}

}  // namespace

std::optional<MonitorPaths> FindMonitorPaths() {
  std::string directory;
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (runtime != nullptr && runtime[0] == '/') {
    directory = runtime;
  } else {
    // Other users can write to /tmp: the folder must be ours and closed to them.
    directory = "/tmp/plugwatch-" + std::to_string(getuid());
    if (mkdir(directory.c_str(), 0700) != 0 && errno != EEXIST) return std::nullopt;
    if (!IsPrivateDirectory(directory)) return std::nullopt;
  }
  std::string base = directory + "/" + kMonitorClass + "-" + kMonitorTitle;
  return MonitorPaths{base + ".socket", base + ".lock"};
}

int ConnectToRunningCopy(const MonitorPaths& paths) {
  sockaddr_un address;
  if (!FillAddress(paths.socket, address)) return -1;
  int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return -1;
  if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    close(fd);
    return -1;
  }
  return fd;
}

bool SendMonitorCommand(int connection, uint32_t command) {
  if (send(connection, &command, sizeof command, MSG_NOSIGNAL) != static_cast<ssize_t>(sizeof command)) {
    return false;
  }
  // Any answer, or the end of the connection, means the command was handled.
  pollfd waiting{connection, POLLIN, 0};
  int ready;
  do {
    ready = poll(&waiting, 1, kAnswerTimeoutMs);
  } while (ready < 0 && errno == EINTR);
  if (ready > 0) {
    char answer;
    [[maybe_unused]] ssize_t got = recv(connection, &answer, 1, 0);
  }
  return true;
}

bool OpenMonitorEndpoint(const MonitorPaths& paths, MonitorEndpoint& endpoint) {
  sockaddr_un address;
  if (!FillAddress(paths.socket, address)) return false;
  // The lock, not the socket, decides who runs: two copies starting together
  // would otherwise both find no listener and both take the socket's name.
  // The kernel drops the lock of a killed copy, so its leftovers block nobody.
  endpoint.lock_fd = open(paths.lock.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (endpoint.lock_fd < 0 || flock(endpoint.lock_fd, LOCK_EX | LOCK_NB) != 0) {
    CloseMonitorEndpoint(endpoint);
    return false;
  }
  unlink(paths.socket.c_str());
  endpoint.listen_fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  if (endpoint.listen_fd < 0 || bind(endpoint.listen_fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    CloseMonitorEndpoint(endpoint);
    return false;
  }
  endpoint.socket_path = paths.socket;
  if (listen(endpoint.listen_fd, 8) != 0) {
    CloseMonitorEndpoint(endpoint);
    return false;
  }
  return true;
}

void CloseMonitorEndpoint(MonitorEndpoint& endpoint) {
  if (!endpoint.socket_path.empty()) unlink(endpoint.socket_path.c_str());
  endpoint.socket_path.clear();
  if (endpoint.listen_fd >= 0) close(endpoint.listen_fd);
  endpoint.listen_fd = -1;
  if (endpoint.lock_fd >= 0) close(endpoint.lock_fd);
  endpoint.lock_fd = -1;
}
