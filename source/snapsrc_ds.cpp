// SNAPSRC.DS: the library a DSM loads. Its one export is DS_Entry.
#include <dlfcn.h>

#include "twain/entry.h"
#include "twain/source_state.h"

namespace {

// Process attach: the identity is ready before the DSM's first call.
__attribute__((constructor)) void AttachSource() {
  Dl_info info{};
  void* instance = dladdr(reinterpret_cast<void*>(&AttachSource), &info) != 0 ? info.dli_fbase : nullptr;
  InitSourceAtLoad(instance);
}

}  // namespace

extern "C" __attribute__((visibility("default"))) TW_UINT16 DS_Entry(TW_IDENTITY* pOrigin, TW_UINT32 DG,
                                                                      TW_UINT16 DAT, TW_UINT16 MSG,
                                                                      TW_MEMREF pData) {
  try {
    return SourceEntry(pOrigin, DG, DAT, MSG, pData);
  } catch (...) {
    // Nothing may unwind into the host.
    return TWRC_FAILURE;
  }
}
