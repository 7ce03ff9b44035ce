// Loads SNAPSRC.DS in a fresh process and prints the ProductName of its
// load-time identity, byte for byte (the field is 34 bytes; the probe prints
// up to its terminator, or "<unterminated>" when there is none).
#include <dlfcn.h>

#include <cstdio>
#include <cstring>

#include "twain/twain.h"

int main() {
  void* library = dlopen(SNAPSRC_BIN_DIR "/SNAPSRC.DS", RTLD_NOW);
  if (library == nullptr) return 1;
  auto entry = reinterpret_cast<DSENTRYPROC>(dlsym(library, "DS_Entry"));
  if (entry == nullptr) return 1;
  TW_IDENTITY app{};
  TW_IDENTITY identity{};
  std::memset(&identity, 0x7F, sizeof identity);
  entry(&app, DG_CONTROL, DAT_IDENTITY, MSG_GET, &identity);
  if (std::memchr(identity.ProductName, '\0', sizeof identity.ProductName) == nullptr) {
    std::puts("<unterminated>");
  } else {
    std::puts(identity.ProductName);
  }
  return 0;
}
