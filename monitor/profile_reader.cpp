#include "monitor/profile_reader.h"

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

std::string_view Trim(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

char FoldAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
  }
  return true;
}

// Windows strips an outer quote pair even from "a" "b", which leaves a
// command line like `"/opt/x y/run" "arg"` mangled into `/opt/x y/run" "arg`.
// A pair is stripped only when it really encloses the whole value.
std::string_view StripQuotes(std::string_view value) {
  if (value.size() < 2) return value;
  char quote = value.front();
  if ((quote != '"' && quote != '\'') || value.back() != quote) return value;
  std::string_view inner = value.substr(1, value.size() - 2);
  if (inner.find(quote) != std::string_view::npos) return value;
  return inner;
}

size_t SequenceLength(unsigned char lead) {
  if (lead >= 0xC2 && lead <= 0xDF) return 2;
  if (lead >= 0xE0 && lead <= 0xEF) return 3;
  if (lead >= 0xF0 && lead <= 0xF4) return 4;
  return 1;
}

bool IsContinuation(unsigned char c) { return (c & 0xC0) == 0x80; }

}  // namespace

std::string_view CutToCharacters(std::string_view text, size_t max_chars) {
  size_t pos = 0;
  for (size_t count = 0; count < max_chars && pos < text.size(); ++count) {
    size_t length = SequenceLength(static_cast<unsigned char>(text[pos]));
    ++pos;
    for (size_t i = 1; i < length && pos < text.size() && IsContinuation(static_cast<unsigned char>(text[pos])); ++i) {
      ++pos;
    }
  }
  return text.substr(0, pos);
}

std::optional<std::string> FindProfileString(std::string_view file_text, std::string_view section,
                                             std::string_view key) {
  if (file_text.starts_with("\xEF\xBB\xBF")) file_text.remove_prefix(3);
  bool in_section = false;
  while (!file_text.empty()) {
    size_t end = file_text.find('\n');
    std::string_view line = Trim(file_text.substr(0, end));
    file_text.remove_prefix(end == std::string_view::npos ? file_text.size() : end + 1);
    if (line.empty()) continue;

    if (line.front() == '[') {
      // Only the first section of the name is searched; a key repeated in a
      // later one is never reached, as with the profile API.
      if (in_section) return std::nullopt;
      size_t close = line.find(']');
      std::string_view name = Trim(line.substr(1, close == std::string_view::npos ? line.size() - 1 : close - 1));
      in_section = SameName(name, section);
      continue;
    }
    if (!in_section) continue;

    size_t equals = line.find('=');
    if (equals == std::string_view::npos) continue;
    if (!SameName(Trim(line.substr(0, equals)), key)) continue;
    std::string_view value = StripQuotes(Trim(line.substr(equals + 1)));
    return std::string(value.substr(0, value.find('\0')));
  }
  return std::nullopt;
}

std::string ReadProfileString(std::optional<std::string_view> file_text, std::string_view section,
                              std::string_view key, std::string_view default_value,
                              size_t buffer_chars) {
  if (buffer_chars == 0) return {};
  std::optional<std::string> found;
  if (file_text) found = FindProfileString(*file_text, section, key);
  std::string_view value = found ? std::string_view(*found) : default_value;
  return std::string(CutToCharacters(value, buffer_chars - 1));
}
