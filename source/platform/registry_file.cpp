#include "platform/registry_file.h"

#include <cstdlib>
#include <fstream>
#include <iterator>

namespace {

// A settings file is a few hundred bytes; anything far larger is not ours.
constexpr std::size_t kMaxFileBytes = 1 << 20;

bool EqualNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    unsigned char x = static_cast<unsigned char>(a[i]);
    unsigned char y = static_cast<unsigned char>(b[i]);
    if (x >= 'A' && x <= 'Z') x = static_cast<unsigned char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<unsigned char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

// Reads a "quoted" string with \\ and \" escapes from the front of `s`;
// leaves `s` just past the closing quote.
std::optional<std::string> TakeQuoted(std::string_view& s) {
  if (s.empty() || s.front() != '"') return std::nullopt;
  std::string out;
  for (std::size_t i = 1; i < s.size(); ++i) {
    char c = s[i];
    if (c == '\\' && i + 1 < s.size()) {
      out.push_back(s[++i]);
    } else if (c == '"') {
      s.remove_prefix(i + 1);
      return out;
    } else {
      out.push_back(c);
    }
  }
  return std::nullopt;
}

std::optional<RegistryValue> ParseData(std::string_view data) {
  RegistryValue value;
  if (!data.empty() && data.front() == '"') {
    auto text = TakeQuoted(data);
    if (!text || !Trim(data).empty()) return std::nullopt;
    // A string with an embedded NUL cannot be read back whole; treat it as not a string.
    if (text->find('\0') != std::string::npos) return RegistryValue{};
    value.type = RegistryValue::Type::String;
    value.text = std::move(*text);
    return value;
  }
  constexpr std::string_view kDword = "dword:";
  if (data.size() > kDword.size() && EqualNoCase(data.substr(0, kDword.size()), kDword)) {
    std::string_view hex = data.substr(kDword.size());
    if (hex.size() > 8) return std::nullopt;
    uint32_t n = 0;
    for (char c : hex) {
      int digit;
      if (c >= '0' && c <= '9') digit = c - '0';
      else if (c >= 'a' && c <= 'f') digit = c - 'a' + 10;
      else if (c >= 'A' && c <= 'F') digit = c - 'A' + 10;
      else return std::nullopt;
      n = (n << 4) | static_cast<uint32_t>(digit);
    }
    value.type = RegistryValue::Type::Number;
    value.number = n;
    return value;
  }
  return RegistryValue{};  // hex:, hex(2): and the like: present, but of another type
}

}  // namespace

std::optional<RegistryValue> FindRegistryValue(std::string_view file_text, std::string_view key_path,
                                               std::string_view name) {
  std::optional<RegistryValue> found;
  bool in_key = false;
  while (!file_text.empty()) {
    std::size_t end = file_text.find('\n');
    std::string_view line = Trim(file_text.substr(0, end));
    file_text.remove_prefix(end == std::string_view::npos ? file_text.size() : end + 1);

    if (line.empty() || line.front() == ';') continue;
    if (line.front() == '[') {
      in_key = line.back() == ']' && EqualNoCase(line.substr(1, line.size() - 2), key_path);
      continue;
    }
    if (!in_key || line.front() != '"') continue;
    auto value_name = TakeQuoted(line);
    if (!value_name || !EqualNoCase(*value_name, name)) continue;
    line = Trim(line);
    if (line.empty() || line.front() != '=') continue;
    line.remove_prefix(1);
    if (auto value = ParseData(Trim(line))) found = std::move(value);
  }
  return found;
}

std::string RegistryFilePath() {
  const char* path = std::getenv("SNAPSRC_REGISTRY");
  return path && *path ? path : "/etc/snapsrc/registry.reg";
}

std::optional<RegistryValue> ReadRegistryValue(std::string_view key_path, std::string_view name) {
  std::ifstream file(RegistryFilePath(), std::ios::binary | std::ios::ate);
  if (!file) return std::nullopt;
  const std::streamoff size = file.tellg();
  if (size < 0 || static_cast<std::size_t>(size) > kMaxFileBytes) return std::nullopt;
  std::string text(static_cast<std::size_t>(size), '\0');
  file.seekg(0);
  file.read(text.data(), size);
  text.resize(static_cast<std::size_t>(file.gcount()));
  return FindRegistryValue(text, key_path, name);
}
