// Reading plugwatch.ini from disk; the rules for its text are in monitor_config.cpp.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "monitor/monitor_config.h"

namespace {

// Far beyond any real configuration; a larger file is read only this far.
constexpr size_t kMaxConfigBytes = 1 << 20;

std::optional<std::string> ReadConfigText(const std::string& path) {
  // Non-blocking so that a FIFO put in the file's place cannot stall the start.
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) return std::nullopt;
  struct stat info {};
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    close(fd);
    return std::nullopt;
  }
  std::string text;
  char buffer[8192];
  while (text.size() < kMaxConfigBytes) {
    ssize_t got = read(fd, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    text.append(buffer, static_cast<size_t>(got));
  }
  close(fd);
  if (text.size() > kMaxConfigBytes) text.resize(kMaxConfigBytes);
  return text;
}

}  // namespace

MonitorConfig LoadMonitorConfig(std::string_view program_path) {
  if (program_path.empty()) return ParseMonitorConfig(std::nullopt);
  std::optional<std::string> text = ReadConfigText(ConfigPathFor(program_path));
  if (!text) return ParseMonitorConfig(std::nullopt);
  return ParseMonitorConfig(std::string_view(*text));
}
