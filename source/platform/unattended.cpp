#include "platform/unattended.h"

#include <cstdio>
#include <cstdlib>

namespace {

std::string Escape(std::string_view field) {
  std::string out;
  out.reserve(field.size());
  for (char c : field) {
    switch (c) {
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default: out.push_back(c);
    }
  }
  return out;
}

}  // namespace

std::optional<std::string> UnattendedLogPath() {
  const char* path = std::getenv("SNAPSRC_UNATTENDED");
  if (path == nullptr || *path == '\0') return std::nullopt;
  return std::string(path);
}

void AppendUnattendedRecord(const std::string& path, std::string_view caption, std::string_view text,
                            std::string_view buttons, std::string_view answer) {
  std::string line = Escape(caption) + '\t' + Escape(text) + '\t' + Escape(buttons) + '\t' + Escape(answer) + '\n';
  if (std::FILE* file = std::fopen(path.c_str(), "ab")) {
    std::fwrite(line.data(), 1, line.size(), file);
    std::fclose(file);
  }
}
