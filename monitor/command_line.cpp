#include "monitor/command_line.h"

std::vector<std::string> SplitCommandLine(std::string_view command_line) {
  std::vector<std::string> words;
  std::string word;
  bool in_word = false;
  bool quoted = false;
  for (char c : command_line) {
    if (c == '"') {
      quoted = !quoted;
      in_word = true;
    } else if (!quoted && (c == ' ' || c == '\t' || c == '\n' || c == '\r')) {
      if (in_word) words.push_back(std::move(word));
      word.clear();
      in_word = false;
    } else {
      word.push_back(c);
      in_word = true;
    }
  }
  if (in_word) words.push_back(std::move(word));
  return words;
}
