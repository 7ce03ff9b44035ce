// Drives DS_Entry with arbitrary triplets and data, in whatever state earlier
// calls of the same input left the source. Each input starts from a freshly
// loaded source.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/memory.h"
#include "twain/capability_table.h"
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

// Every id the table knows, the bit-depth records and the empty record.
constexpr TW_UINT16 kCapIds[] = {
    CAP_SUPPORTEDCAPS,      ICAP_XFERMECH,          ICAP_PIXELFLAVOR,        ICAP_PLANARCHUNKY,
    ICAP_COMPRESSION,       ICAP_PHYSICALWIDTH,     ICAP_PHYSICALHEIGHT,     ICAP_MINIMUMHEIGHT,
    ICAP_MINIMUMWIDTH,      ICAP_UNITS,             CAP_DEVICEONLINE,        ICAP_AUTOBRIGHT,
    ICAP_BRIGHTNESS,        ICAP_CONTRAST,          ICAP_HIGHLIGHT,          ICAP_ORIENTATION,
    ICAP_SHADOW,            ICAP_XSCALING,          ICAP_YSCALING,           ICAP_PIXELTYPE,
    ICAP_BITDEPTH,          ICAP_BITDEPTHREDUCTION, ICAP_BITORDER,           ICAP_HALFTONES,
    ICAP_THRESHOLD,         ICAP_FRAMES,            ICAP_MAXFRAMES,          ICAP_SUPPORTEDSIZES,
    ICAP_XNATIVERESOLUTION, ICAP_YNATIVERESOLUTION, ICAP_XRESOLUTION,        ICAP_YRESOLUTION,
    CAP_XFERCOUNT,          ICAP_IMAGEFILEFORMAT,   ICAP_UNDEFINEDIMAGESIZE, CAP_INDICATORS,
    CAP_UICONTROLLABLE,     ICAP_IMAGEDATASET,      kBitDepthBase,           kBitDepthBase + 1,
    kBitDepthBase + 2,      0};
constexpr TW_UINT16 kConTypes[] = {TWON_ONEVALUE, TWON_ENUMERATION, TWON_RANGE, TWON_ARRAY, TWON_DONTCARE16};

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
  ResetCapabilities();
  InitSourceAtLoad(reinterpret_cast<void*>(1));
  Reader in{data, size};
  TW_IDENTITY app{};
  app.Id = 1;

  // Half of the inputs start with the source open, so that negotiation and
  // transfers are reached without first having to find MSG_OPENDS.
  if (in.Byte() & 1) {
    TW_IDENTITY self{};
    self.Id = 2;
    SourceEntry(&app, DG_CONTROL, DAT_IDENTITY, MSG_OPENDS, &self);
  }

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

    // A capability call carries a real container: a movable block of the
    // fuzzer's size and bytes (ItemType first), or a null handle.
    // Only the capability handler may write into it (an event's TWMessage
    // would land in hContainer).
    const bool capability = dat == DAT_CAPABILITY && dg == DG_CONTROL && msg != MSG_PROCESSEVENT && pdata != nullptr;
    void* block = nullptr;
    if (capability) {
      TW_CAPABILITY cap{};
      uint8_t pick = in.Byte();
      cap.Cap = pick < 0xF0 ? kCapIds[pick % std::size(kCapIds)] : in.Word();
      uint8_t con = in.Byte();
      cap.ConType = con < 0xF0 ? kConTypes[con % std::size(kConTypes)] : in.Word();
      size_t block_size = in.Byte() % 48;
      block = AllocBlock(block_size);
      if (block != nullptr) {
        auto* bytes = static_cast<uint8_t*>(block);
        uint8_t type = in.Byte();
        TW_UINT16 item_type = type < 0xF0 ? TW_UINT16(type % 13) : in.Word();
        std::memcpy(bytes, &item_type, std::min(block_size, sizeof item_type));
        for (size_t i = sizeof item_type; i < block_size; ++i) bytes[i] = in.Byte();
      }
      cap.hContainer = block;
      std::memcpy(payload.data(), &cap, sizeof cap);
    }
    SourceEntry(origin, dg, dat, msg, pdata);
    if (capability) {
      // A container the source built belongs to the host now.
      TW_CAPABILITY cap;
      std::memcpy(&cap, payload.data(), sizeof cap);
      if (cap.hContainer != block) FreeBlock(cap.hContainer);
    }
    FreeBlock(block);
  }

  if (source_state.main_window != nullptr) {
    ReleaseMainWindow();
    DestroyMainWindow(source_state.main_window);
  }
  return 0;
}
