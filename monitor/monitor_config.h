// plugwatch's configuration: plugwatch.ini beside the program, section "usb".
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

inline constexpr char kMonitorSection[] = "usb";
inline constexpr char kItemKey[] = "Item0";
inline constexpr char kExecKey[] = "Exec";
inline constexpr char kDefaultItem[] = "KX3300A";
// The Windows launcher's place; an installation on Linux names its own in
// plugwatch.ini. A command that cannot be started is simply not started.
inline constexpr char kDefaultExec[] = "\"C:\\Program Files\\KX3300A\\snapgrab.exe\" KX3300";
inline constexpr size_t kItemBufferChars = 64;
inline constexpr size_t kExecBufferChars = 260;

struct MonitorConfig {
  std::string item0;  // prefix a USB device's description must start with
  std::string exec;   // command line started when such a device arrives
};

// The configuration file of the program at `program_path`: the extension of the
// file name replaced by ".ini", or ".ini" appended when the name has none. A
// dot in a folder name or leading a file name starts no extension.
std::string ConfigPathFor(std::string_view program_path);

// The configuration held by the text of the file (nullopt: no file), with the
// defaults for what it lacks and values cut to their buffers.
MonitorConfig ParseMonitorConfig(std::optional<std::string_view> file_text);

// Reads the file beside the program once; a missing or unreadable file gives
// the defaults.
MonitorConfig LoadMonitorConfig(std::string_view program_path);
