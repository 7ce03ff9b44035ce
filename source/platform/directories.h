// Directories and plain files as the raw picture store needs them: a private
// directory in the user's temporary directory, and removal that never recurses.
#pragma once

#include <string>

// TMPDIR when it is set and not empty, made absolute so a later change of the
// host's working directory does not move the store; else "/tmp". Never ends in
// "/" (except for the root itself).
std::string TemporaryDirectory();

enum class MakeDirectoryResult { Created, Exists, Failed };

// Creates `path` readable, writable and searchable by the user alone (0700,
// whatever the umask). An existing entry of that name, even a symbolic link, is
// Exists and is left alone; every other failure is Failed.
MakeDirectoryResult MakePrivateDirectory(const char* path);

// Removes one file (not a directory); false when it could not.
bool RemoveFile(const char* path);

// Removes `path` only when it is an empty directory; false otherwise.
bool RemoveEmptyDirectory(const char* path);

struct LocalTime {
  int month;  // 1..12
  int day;    // 1..31
  int hour;   // 0..23
  int minute; // 0..59
};

LocalTime CurrentLocalTime();
