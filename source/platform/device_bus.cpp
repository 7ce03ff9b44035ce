#include "platform/device_bus.h"

#include <dirent.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace {

// A driver that stops answering must not hang the host's thread for good.
constexpr int kReplyTimeoutSeconds = 10;

class SocketStream final : public DeviceStream {
 public:
  explicit SocketStream(int fd) : fd_(fd) {}
  ~SocketStream() override { close(fd_); }
  SocketStream(const SocketStream&) = delete;
  SocketStream& operator=(const SocketStream&) = delete;

  bool Write(const void* data, std::size_t size) override {
    const auto* p = static_cast<const char*>(data);
    while (size > 0) {
      ssize_t n = send(fd_, p, size, MSG_NOSIGNAL);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) return false;
      p += n;
      size -= static_cast<std::size_t>(n);
    }
    return true;
  }

  bool Read(void* data, std::size_t size) override {
    auto* p = static_cast<char*>(data);
    while (size > 0) {
      ssize_t n = recv(fd_, p, size, 0);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) return false;
      p += n;
      size -= static_cast<std::size_t>(n);
    }
    return true;
  }

 private:
  int fd_;
};

class DirectoryBus final : public DeviceBus {
 public:
  std::vector<std::string> ListDevices() override {
    std::vector<std::string> names;
    std::string dir = DeviceDirectory();
    DIR* d = opendir(dir.c_str());
    if (d == nullptr) return names;
    while (dirent* e = readdir(d)) {
      std::string path = dir + "/" + e->d_name;
      struct stat st;
      if (stat(path.c_str(), &st) == 0 && S_ISSOCK(st.st_mode)) names.emplace_back(e->d_name);
    }
    closedir(d);
    std::sort(names.begin(), names.end());
    return names;
  }

  std::unique_ptr<DeviceStream> OpenDevice(const std::string& name) override {
    std::string path = DeviceDirectory() + "/" + name;
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path) return nullptr;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return nullptr;
    timeval timeout{kReplyTimeoutSeconds, 0};
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof timeout);
    if (connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
      close(fd);
      return nullptr;
    }
    return std::make_unique<SocketStream>(fd);
  }
};

DirectoryBus directory_bus;
DeviceBus* installed_bus = nullptr;

}  // namespace

std::string DeviceDirectory() {
  const char* dir = std::getenv("SNAPSRC_DEVICES");
  return dir != nullptr && *dir != '\0' ? std::string(dir) : std::string("/run/snapsrc");
}

void InstallDeviceBus(DeviceBus* bus) { installed_bus = bus; }

DeviceBus& CurrentDeviceBus() { return installed_bus ? *installed_bus : directory_bus; }
