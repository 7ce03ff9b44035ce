// Drives DS_Entry with arbitrary triplets and data, in whatever state earlier
// calls of the same input left the source. Each input starts from a freshly
// loaded source.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "twain/entry.h"
#include "twain/source_state.h"
#include "ui/main_window.h"

namespace {

constexpr TW_UINT16 kDats[] = {DAT_NULL,          DAT_CAPABILITY,      DAT_EVENT,         DAT_IDENTITY,
                               DAT_PARENT,        DAT_PENDINGXFERS,    DAT_SETUPMEMXFER,  DAT_SETUPFILEXFER,
                               DAT_STATUS,        DAT_USERINTERFACE,   DAT_XFERGROUP,     DAT_IMAGEINFO,
                               DAT_IMAGELAYOUT,   DAT_IMAGEMEMXFER,    DAT_IMAGENATIVEXFER, DAT_IMAGEFILEXFER,
                               DAT_CIECOLOR,      DAT_RGBRESPONSE,     DAT_JPEGCOMPRESSION};
constexpr TW_UINT16 kMsgs[] = {MSG_GET,      MSG_GETCURRENT, MSG_GETDEFAULT, MSG_SET,       MSG_RESET,
                               MSG_QUERYSUPPORT, MSG_OPENDS, MSG_CLOSEDS,    MSG_ENABLEDS,  MSG_DISABLEDS,
                               MSG_PROCESSEVENT, MSG_ENDXFER, MSG_ENABLEDSUIONLY, MSG_NULL};

struct Reader {
  const uint8_t* data;
  size_t size;
  uint8_t Byte() {
    if (size == 0) return 0;
    --size;
    return *data++;
  }
  uint16_t Word() { return static_cast<uint16_t>(Byte() | (Byte() << 8)); }
};

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  setenv("SNAPSRC_UNATTENDED", "/dev/null", 1);
  setenv("SNAPSRC_DSM", "/nonexistent", 1);
  setenv("SNAPSRC_REGISTRY", "/nonexistent", 1);
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  ResetSourceState();
  InitSourceAtLoad(reinterpret_cast<void*>(1));
  Reader in{data, size};
  TW_IDENTITY app{};
  app.Id = 1;

  while (in.size > 0) {
    uint8_t op = in.Byte();
    TW_UINT32 dg = (op & 3) == 3 ? in.Byte() : (op & 3);
    TW_UINT16 dat = (op & 4) ? in.Word() : kDats[in.Byte() % std::size(kDats)];
    TW_UINT16 msg = (op & 8) ? in.Word() : kMsgs[in.Byte() % std::size(kMsgs)];
    TW_IDENTITY stranger{};
    stranger.Id = in.Byte();
    TW_IDENTITY* origin = (op & 16) ? &stranger : &app;

    // The payload: a buffer of the fuzzer's bytes, large enough for any
    // structure of the protocol, or a null pointer.
    std::vector<uint8_t> payload(512);
    size_t n = in.Byte();
    for (size_t i = 0; i < n && i < payload.size(); ++i) payload[i] = in.Byte();
    // Pointer fields inside it must not point at random memory: hosts pass
    // real handles, and the source may dereference its own container handles.
    if (dat == DAT_USERINTERFACE) std::memset(payload.data() + 4, 0, sizeof(void*));
    if (dat == DAT_EVENT || msg == MSG_PROCESSEVENT) std::memset(payload.data(), 0, sizeof(void*));
    void* pdata = (op & 32) ? nullptr : payload.data();
    SourceEntry(origin, dg, dat, msg, pdata);
  }

  if (source_state.main_window != nullptr) {
    ReleaseMainWindow();
    DestroyMainWindow(source_state.main_window);
  }
  return 0;
}
