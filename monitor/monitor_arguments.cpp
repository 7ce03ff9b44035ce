#include "monitor/monitor_arguments.h"

#include <charconv>

namespace {

bool IsExitWord(std::string_view word) {
  constexpr std::string_view kExit = "exit";
  if (word.size() != kExit.size()) return false;
  for (size_t i = 0; i < word.size(); ++i) {
    char c = word[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != kExit[i]) return false;
  }
  return true;
}

}  // namespace

MonitorArguments ParseMonitorArguments(const std::vector<std::string_view>& arguments) {
  MonitorArguments parsed;
  parsed.exit = arguments.size() == 1 && IsExitWord(arguments[0]);
  constexpr std::string_view kInterval = "--check-interval-ms=";
  constexpr std::string_view kLog = "--check-log=";
  for (std::string_view argument : arguments) {
    if (argument.starts_with(kInterval)) {
      std::string_view digits = argument.substr(kInterval.size());
      int value = 0;
      auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
      if (error == std::errc() && end == digits.data() + digits.size() && value >= 1 && value <= 3600000) {
        parsed.check_interval_ms = value;
      }
    } else if (argument.starts_with(kLog)) {
      parsed.check_log = std::string(argument.substr(kLog.size()));
    }
  }
  return parsed;
}
