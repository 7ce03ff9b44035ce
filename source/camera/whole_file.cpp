#include "camera/whole_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/memory.h"

bool WriteWholeFile(const char* path, const void* data, std::size_t length) {
  if (path == nullptr || (data == nullptr && length != 0)) return false;
  int fd = open(path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  const auto* bytes = static_cast<const unsigned char*>(data);
  bool ok = true;
  while (length > 0) {
    ssize_t n = write(fd, bytes, length);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      ok = false;
      break;
    }
    bytes += n;
    length -= static_cast<std::size_t>(n);
  }
  // A full disk may only show when the data is flushed at close.
  if (close(fd) != 0) ok = false;
  return ok;
}

void* ReadWholeFile(const char* path, std::size_t* length) {
  if (path == nullptr) return nullptr;
  int fd = open(path, O_RDONLY | O_CLOEXEC);
  if (fd < 0) return nullptr;
  struct stat info {};
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    close(fd);
    return nullptr;
  }
  auto size = static_cast<std::size_t>(info.st_size);
  // An empty file still gets a block, so that null keeps meaning "unreadable".
  auto* block = static_cast<unsigned char*>(AllocBlock(size == 0 ? 1 : size));
  if (block == nullptr) {
    close(fd);
    return nullptr;
  }
  std::size_t got = 0;
  while (got < size) {
    ssize_t n = read(fd, block + got, size - got);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    got += static_cast<std::size_t>(n);
  }
  close(fd);
  if (got != size) {
    FreeBlock(block);
    return nullptr;
  }
  if (length != nullptr) *length = size;
  return block;
}
