// Arbitrary settings files: any text must parse without reading past it.
#include <cstdint>
#include <string_view>

#include "platform/registry_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  for (const char* name : {"DeviceName", "NotDelete", "TwainName", "bar_path"}) {
    FindRegistryValue(text, "HKEY_LOCAL_MACHINE\\SOFTWARE\\KX3300", name);
  }
  return 0;
}
