// The locale variables come from whoever started the host; any bytes must map
// to one of the three languages without reading past the name.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "ui/resources/language.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string name(reinterpret_cast<const char*>(data), size);  // stops at an inner NUL, as getenv would
  const int offset = LanguageOffsetForLangId(LangIdFromLocaleName(name.c_str()));
  if (offset != 0 && offset != 2000 && offset != 3000) std::abort();
  return 0;
}
