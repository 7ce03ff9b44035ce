#include "export/file_replace.h"

#include <cstdio>

namespace {
// Plenty for one save; a folder holding this many leftovers of ours has
// something else wrong with it.
constexpr int kTemporaryNameTries = 1000;
}  // namespace

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return "";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

std::string ReserveTemporaryFile(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  const std::string folder = slash == std::string::npos ? "" : path.substr(0, slash + 1);
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  if (name.empty()) return "";
  for (int k = 0; k < kTemporaryNameTries; ++k) {
    std::string candidate = folder + "." + name + ".saving" + std::to_string(k);
    // "x": made here and now, never someone else's file under that name.
    std::FILE* file = std::fopen(candidate.c_str(), "wbx");
    if (file != nullptr) {
      std::fclose(file);
      return candidate;
    }
    // Only a name already taken is worth another try.
    std::FILE* existing = std::fopen(candidate.c_str(), "rb");
    if (existing == nullptr) return "";
    std::fclose(existing);
  }
  return "";
}

bool CommitTemporaryFile(const std::string& temporary, const std::string& path) {
  if (std::rename(temporary.c_str(), path.c_str()) == 0) return true;
  std::remove(temporary.c_str());
  return false;
}

void DiscardTemporaryFile(const std::string& temporary) {
  if (!temporary.empty()) std::remove(temporary.c_str());
}
