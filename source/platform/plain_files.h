// The three file operations the host's file transfer needs: is a name taken,
// make an empty file, and write a file from pieces held in different places.
#pragma once

#include <cstddef>

// True when `path` names an existing entry that is not a directory.
bool FileExists(const char* path);

// Creates `path` as an empty file (0644 before the umask). An existing file is
// left as it is, never truncated. False when the file cannot be created.
bool CreateEmptyFile(const char* path);

struct FilePiece {
  const void* data;
  std::size_t length;
};

// Creates or replaces `path` and writes the pieces one after the other. False
// when the file cannot be created or not every byte reached it.
bool WriteFilePieces(const char* path, const FilePiece* pieces, std::size_t count);
