// Arbitrary plugwatch.ini texts, and every value they yield as a command line:
// nothing may read past the text, and a cut value never splits a character.
#include <cstdint>
#include <string_view>

#include "monitor/command_line.h"
#include "monitor/monitor_config.h"
#include "monitor/profile_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  MonitorConfig config = ParseMonitorConfig(text);
  if (CutToCharacters(config.item0, kItemBufferChars - 1).size() != config.item0.size()) __builtin_trap();
  if (CutToCharacters(config.exec, kExecBufferChars - 1).size() != config.exec.size()) __builtin_trap();
  SplitCommandLine(config.exec);
  // The whole input as a command line too, beyond what fits the buffer.
  size_t words = 0;
  for (const auto& word : SplitCommandLine(text)) words += word.size() <= size;
  if (words > size) __builtin_trap();
  return 0;
}
