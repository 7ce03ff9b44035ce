#include "platform/dsm_link.h"

#include <dlfcn.h>

#include <cstdlib>

void SendDsmNotification(TW_IDENTITY* origin, TW_IDENTITY* destination, TW_UINT16 msg) {
  const char* name = std::getenv("SNAPSRC_DSM");
  if (name == nullptr || *name == '\0') name = "libtwaindsm.so.2";
  void* library = dlopen(name, RTLD_NOW | RTLD_LOCAL);
  if (library == nullptr) return;
  if (auto entry = reinterpret_cast<DSMENTRYPROC>(dlsym(library, "DSM_Entry"))) {
    entry(origin, destination, DG_CONTROL, DAT_NULL, msg, nullptr);
  }
  dlclose(library);
}
