// Writing a file so that an old one of the same name survives until the new
// one is complete: the writer fills a fresh temporary file in the same folder,
// and only a complete file is renamed over the old name (an atomic step on
// one file system). A failed write leaves the old file as it was.
#pragma once

#include <string>

// Reserves a new, empty temporary file beside `path` (same folder, a hidden
// name made from the file's own) and returns its name; empty when none could
// be made (no such folder, no permission).
std::string ReserveTemporaryFile(const std::string& path);

// Moves the complete temporary file over `path`. False, with the temporary
// file removed and `path` untouched, when that cannot be done.
bool CommitTemporaryFile(const std::string& temporary, const std::string& path);

// Removes a temporary file that will not be used.
void DiscardTemporaryFile(const std::string& temporary);

// The folder part of a path with "/" separators: "" for a bare name, "/" for
// a file in the root.
std::string FolderOf(const std::string& path);
