// The hidden --check-log trace the tests read: one line per event,
//   item0 <value> / exec <value>   the configuration, once at start
//   check 0|1                      a check and whether it found the device
//   command <n>                    a command handled
//   start ok|failed                the outcome of starting the command line
// Without the option nothing is written.
#pragma once

#include <string>
#include <string_view>

class CheckLog {
 public:
  explicit CheckLog(const std::string& path);
  ~CheckLog();
  CheckLog(const CheckLog&) = delete;
  CheckLog& operator=(const CheckLog&) = delete;

  void Line(std::string_view what, std::string_view value);

 private:
  int fd_ = -1;
};
