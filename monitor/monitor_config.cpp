#include "monitor/monitor_config.h"

#include "monitor/profile_reader.h"

std::string ConfigPathFor(std::string_view program_path) {
  size_t name_start = program_path.rfind('/');
  name_start = name_start == std::string_view::npos ? 0 : name_start + 1;
  size_t dot = program_path.rfind('.');
  std::string path(program_path);
  if (dot != std::string_view::npos && dot > name_start) path.erase(dot);
  return path + ".ini";
}

MonitorConfig ParseMonitorConfig(std::optional<std::string_view> file_text) {
  MonitorConfig config;
  config.item0 = ReadProfileString(file_text, kMonitorSection, kItemKey, kDefaultItem, kItemBufferChars);
  config.exec = ReadProfileString(file_text, kMonitorSection, kExecKey, kDefaultExec, kExecBufferChars);
  return config;
}
