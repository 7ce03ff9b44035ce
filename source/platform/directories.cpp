#include "platform/directories.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <ctime>

std::string TemporaryDirectory() {
  std::string dir;
  if (const char* env = std::getenv("TMPDIR"); env != nullptr && env[0] != '\0') dir = env;
  if (dir.empty()) return "/tmp";
  if (dir[0] != '/') {
    char cwd[4096];
    if (getcwd(cwd, sizeof cwd) == nullptr) return "/tmp";
    dir = std::string(cwd) + "/" + dir;
  }
  while (dir.size() > 1 && dir.back() == '/') dir.pop_back();
  return dir;
}

MakeDirectoryResult MakePrivateDirectory(const char* path) {
  if (path == nullptr || path[0] == '\0') return MakeDirectoryResult::Failed;
  if (mkdir(path, 0700) != 0) return errno == EEXIST ? MakeDirectoryResult::Exists : MakeDirectoryResult::Failed;
  // The umask may have taken bits away from the owner too; the store needs all three.
  if (chmod(path, 0700) != 0) {
    rmdir(path);
    return MakeDirectoryResult::Failed;
  }
  return MakeDirectoryResult::Created;
}

bool RemoveFile(const char* path) { return path != nullptr && unlink(path) == 0; }

bool RemoveEmptyDirectory(const char* path) { return path != nullptr && rmdir(path) == 0; }

LocalTime CurrentLocalTime() {
  std::time_t now = std::time(nullptr);
  std::tm parts{};
  if (localtime_r(&now, &parts) == nullptr) return {1, 1, 0, 0};
  return {parts.tm_mon + 1, parts.tm_mday, parts.tm_hour, parts.tm_min};
}
