#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "simcam.h"

namespace {

bool WriteAll(int fd, const void* data, std::size_t size) {
  const auto* p = static_cast<const char*>(data);
  while (size > 0) {
    ssize_t n = send(fd, p, size, MSG_NOSIGNAL);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    p += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

bool ReadAll(int fd, void* data, std::size_t size) {
  auto* p = static_cast<char*>(data);
  while (size > 0) {
    ssize_t n = recv(fd, p, size, 0);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    p += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

bool SendReply(int fd, uint32_t kind, uint32_t result, const void* body, std::size_t body_size,
               const void* extra = nullptr, std::size_t extra_size = 0) {
  CameraWireHeader header{CAMWIRE_MAGIC, kind, result, static_cast<uint32_t>(body_size + extra_size)};
  return WriteAll(fd, &header, sizeof header) && (body_size == 0 || WriteAll(fd, body, body_size)) &&
         (extra_size == 0 || WriteAll(fd, extra, extra_size));
}

}  // namespace

SimCamServer::SimCamServer(SimCamConfig config) : camera_(std::move(config)) {}

SimCamServer::~SimCamServer() { Stop(); }

bool SimCamServer::Start(const std::string& socket_path, std::string* error) {
  auto fail = [&](const std::string& what) {
    if (error != nullptr) *error = what + ": " + std::strerror(errno);
    if (listen_fd_ >= 0) close(listen_fd_);
    listen_fd_ = -1;
    return false;
  };
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (socket_path.size() >= sizeof address.sun_path) {
    errno = ENAMETOOLONG;
    return fail(socket_path);
  }
  std::memcpy(address.sun_path, socket_path.c_str(), socket_path.size() + 1);
  // A socket left behind by an earlier run is replaced; anything else is not ours.
  struct stat st;
  if (lstat(socket_path.c_str(), &st) == 0) {
    if (!S_ISSOCK(st.st_mode)) {
      errno = EEXIST;
      return fail(socket_path);
    }
    unlink(socket_path.c_str());
  }
  listen_fd_ = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (listen_fd_ < 0) return fail("socket");
  if (bind(listen_fd_, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) return fail(socket_path);
  if (listen(listen_fd_, 8) != 0) return fail("listen");
  if (pipe2(wake_pipe_, O_CLOEXEC) != 0) return fail("pipe");
  path_ = socket_path;
  stopping_ = false;
  accept_thread_ = std::thread([this] { AcceptLoop(); });
  return true;
}

void SimCamServer::Stop() {
  if (!accept_thread_.joinable()) return;
  stopping_ = true;
  char byte = 0;
  (void)!write(wake_pipe_[1], &byte, 1);
  accept_thread_.join();
  std::vector<Connection> connections;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    for (Connection& c : connections_) shutdown(c.fd, SHUT_RDWR);
    connections.swap(connections_);
  }
  for (Connection& c : connections) {
    c.thread.join();
    close(c.fd);
  }
  close(listen_fd_);
  close(wake_pipe_[0]);
  close(wake_pipe_[1]);
  listen_fd_ = wake_pipe_[0] = wake_pipe_[1] = -1;
  if (!path_.empty()) unlink(path_.c_str());
}

SimStats SimCamServer::Stats() {
  std::lock_guard<std::mutex> lock(mutex_);
  return camera_.stats();
}

bool SimCamServer::Gone() {
  std::lock_guard<std::mutex> lock(mutex_);
  return camera_.stats().gone;
}

void SimCamServer::AcceptLoop() {
  while (!stopping_) {
    pollfd fds[2] = {{listen_fd_, POLLIN, 0}, {wake_pipe_[0], POLLIN, 0}};
    if (poll(fds, 2, -1) < 0) {
      if (errno == EINTR) continue;
      return;
    }
    if (fds[1].revents != 0) return;
    if ((fds[0].revents & POLLIN) == 0) continue;
    int fd = accept4(listen_fd_, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0) continue;
    std::lock_guard<std::mutex> lock(mutex_);
    // Connections that ended are reaped here, so a long-running daemon keeps
    // neither their threads nor their descriptors.
    for (auto it = connections_.begin(); it != connections_.end();) {
      if (*it->done) {
        it->thread.join();
        close(it->fd);
        it = connections_.erase(it);
      } else {
        ++it;
      }
    }
    auto done = std::make_shared<std::atomic<bool>>(false);
    connections_.push_back(Connection{fd, std::thread([this, fd, done] {
                                        Serve(fd);
                                        *done = true;
                                      }),
                                      done});
  }
}

void SimCamServer::Serve(int fd) {
  for (;;) {
    CameraWireHeader header;
    if (!ReadAll(fd, &header, sizeof header) || header.magic != CAMWIRE_MAGIC) break;
    if (header.kind == CAMWIRE_NAME_QUERY && header.length == 0) {
      std::string name;
      {
        std::lock_guard<std::mutex> lock(mutex_);
        name = camera_.FriendlyName();
      }
      if (name.size() > CAMWIRE_MAX_NAME_BYTES) name.resize(CAMWIRE_MAX_NAME_BYTES);
      if (!SendReply(fd, CAMWIRE_NAME_QUERY, CAMWIRE_OK, name.data(), name.size())) break;
    } else if (header.kind == CAMWIRE_HANDLE_QUERY && header.length == 0) {
      uint32_t handle = 0;
      bool ok;
      {
        std::lock_guard<std::mutex> lock(mutex_);
        ok = camera_.OpenHandle(&handle);
      }
      if (!SendReply(fd, CAMWIRE_HANDLE_QUERY, ok ? CAMWIRE_OK : CAMWIRE_FAILED, &handle, sizeof handle)) break;
    } else if (header.kind == CAMWIRE_PROPERTY && header.length == sizeof(CameraPropertyRequest)) {
      CameraPropertyRequest request;
      if (!ReadAll(fd, &request, sizeof request)) break;
      SimReply reply;
      {
        std::lock_guard<std::mutex> lock(mutex_);
        reply = camera_.HandleProperty(request);
      }
      if (!SendReply(fd, CAMWIRE_PROPERTY, reply.result, &reply.buffer, sizeof reply.buffer, reply.data.data(),
                     reply.data.size())) {
        break;
      }
      if (reply.close_after) {
        // The camera is unplugged: nobody finds it any more.
        unlink(path_.c_str());
        break;
      }
    } else {
      break;
    }
  }
  shutdown(fd, SHUT_RDWR);
}
