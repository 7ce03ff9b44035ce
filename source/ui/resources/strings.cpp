#include "ui/resources/strings.h"

#include <cstring>

#include "ui/resources/string_table.h"

bool FindResourceString(int id, std::string_view* text) {
  for (const ResourceStringEntry& entry : kResourceStrings) {
    if (entry.id == id) {
      if (text != nullptr) *text = entry.text;
      return true;
    }
  }
  return false;
}

std::size_t Utf8PrefixBytes(std::string_view text, std::size_t max_bytes) {
  if (text.size() <= max_bytes) return text.size();
  std::size_t cut = max_bytes;
  // Step back over continuation bytes so no character is split.
  while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
  return cut;
}

std::size_t LoadResourceString(int id, char* buffer, std::size_t size) {
  if (buffer == nullptr || size == 0) return 0;
  std::string_view text;
  if (!FindResourceString(id, &text)) {
    buffer[0] = '\0';
    return 0;
  }
  std::size_t n = Utf8PrefixBytes(text, size - 1);
  std::memcpy(buffer, text.data(), n);
  buffer[n] = '\0';
  return n;
}

std::string ResourceText(int id, std::size_t max_chars) {
  std::string_view text;
  if (!FindResourceString(id, &text)) return {};
  std::size_t chars = 0;
  std::size_t i = 0;
  for (; i < text.size(); ++i) {
    if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) {
      if (chars == max_chars) break;
      ++chars;
    }
  }
  return std::string(text.substr(0, i));
}
