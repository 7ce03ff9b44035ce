// Reads one value out of the text of an .ini file the way the Windows profile
// API does, so a plugwatch.ini written for the Windows monitor reads the same:
//
//   [usb]
//   Item0=KX3300A
//   Exec="/opt/kx3300a/snapgrab" KX3300
//
// Section and key names compare without regard to ASCII letter case; blanks
// around names and values do not count; the first section of the name is the
// one searched, and its first line with the key wins. A value enclosed in one
// pair of matching quotes (single or double) loses them. The value is cut to
// fit a buffer of `buffer_chars` characters, terminator included.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// The value of `key` in `section`, or nullopt when the text has no such key.
// A value is cut at an embedded NUL, as a C buffer would hold it.
std::optional<std::string> FindProfileString(std::string_view file_text, std::string_view section,
                                             std::string_view key);

// What the profile API hands back: the value found, else `default_value`, cut
// to buffer_chars - 1 UTF-8 characters (never inside one); nothing fits a
// buffer of 0 characters.
std::string ReadProfileString(std::optional<std::string_view> file_text, std::string_view section,
                              std::string_view key, std::string_view default_value,
                              size_t buffer_chars);

// The longest prefix of `text` holding at most `max_chars` UTF-8 characters. A
// byte that starts no valid sequence counts as one character of its own.
std::string_view CutToCharacters(std::string_view text, size_t max_chars);
