#include "platform/plain_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

bool FileExists(const char* path) {
  if (path == nullptr || *path == '\0') return false;
  struct stat info {};
  return stat(path, &info) == 0 && !S_ISDIR(info.st_mode);
}

bool CreateEmptyFile(const char* path) {
  if (path == nullptr || *path == '\0') return false;
  int fd = open(path, O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  return close(fd) == 0;
}

bool WriteFilePieces(const char* path, const FilePiece* pieces, std::size_t count) {
  if (path == nullptr || *path == '\0' || (pieces == nullptr && count != 0)) return false;
  int fd = open(path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  bool ok = true;
  for (std::size_t i = 0; ok && i < count; ++i) {
    const auto* bytes = static_cast<const unsigned char*>(pieces[i].data);
    std::size_t left = pieces[i].length;
    if (bytes == nullptr && left != 0) ok = false;
    while (ok && left > 0) {
      ssize_t n = write(fd, bytes, left);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) {
        ok = false;
        break;
      }
      bytes += n;
      left -= static_cast<std::size_t>(n);
    }
  }
  // A full disk may only show when the data is flushed at close.
  if (close(fd) != 0) ok = false;
  return ok;
}
