#include "monitor/check_log.h"

#include <fcntl.h>
#include <unistd.h>

CheckLog::CheckLog(const std::string& path) {
  if (!path.empty()) fd_ = open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
}

CheckLog::~CheckLog() {
  if (fd_ >= 0) close(fd_);
}

void CheckLog::Line(std::string_view what, std::string_view value) {
  if (fd_ < 0) return;
  std::string line;
  line.append(what).append(" ").append(value).append("\n");
  // One write per line, so a reader never sees half of one.
  [[maybe_unused]] ssize_t written = write(fd_, line.data(), line.size());
}
