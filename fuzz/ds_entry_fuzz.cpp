// Drives DS_Entry with arbitrary triplets and data, in whatever state earlier
// calls of the same input left the source. Each input starts from a freshly
// loaded source. The transfers get pictures whose headers the input makes up
// (sound or lying about their size), a picture table to walk, host buffers of
// the input's lengths, and file names kept inside a private directory.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "camera/picture_table.h"
#include "platform/memory.h"
#include "twain/capability_table.h"
#include "twain/entry.h"
#include "twain/source_state.h"
#include "twain/transfer_state.h"
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
  uint32_t Long() { return Word() | static_cast<uint32_t>(Word()) << 16; }
};

// What the next decode hands the transfer: a DIB header of the input's
// choosing in a block of the input's size (at most 64 KiB), or nothing.
struct FuzzPicture {
  bool none;
  int32_t width;
  int32_t height;
  uint16_t bit_count;
  uint32_t colours_used;
  uint32_t block_size;
};
FuzzPicture fuzz_picture;

void PutLe32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

void* DecodeFuzzPicture() {
  const FuzzPicture& f = fuzz_picture;
  if (f.none) return nullptr;
  auto* dib = static_cast<uint8_t*>(AllocBlock(std::max<uint32_t>(f.block_size, 40)));
  if (dib == nullptr) return nullptr;
  PutLe32(dib, 40);
  PutLe32(dib + 4, static_cast<uint32_t>(f.width));
  PutLe32(dib + 8, static_cast<uint32_t>(f.height));
  dib[12] = 1;
  dib[14] = static_cast<uint8_t>(f.bit_count);
  dib[15] = static_cast<uint8_t>(f.bit_count >> 8);
  PutLe32(dib + 32, f.colours_used);
  for (uint32_t i = 40; i < f.block_size; ++i) dib[i] = static_cast<uint8_t>(i * 7);
  return dib;
}

FuzzPicture ReadFuzzPicture(Reader& in) {
  FuzzPicture f{};
  const uint8_t shape = in.Byte();
  f.none = (shape & 7) == 0;
  if (shape & 8) {
    // Anything at all in the header.
    f.width = static_cast<int32_t>(in.Long());
    f.height = static_cast<int32_t>(in.Long());
    f.bit_count = in.Word();
    f.colours_used = in.Long();
    f.block_size = in.Word();
  } else {
    // A sound 24-bit picture, sometimes with a block a little short.
    f.width = 1 + in.Byte() % 64;
    f.height = 1 + in.Byte() % 64;
    f.bit_count = 24;
    const uint32_t stride = (24u * f.width + 31) / 32 * 4;
    f.block_size = 40 + stride * f.height - ((shape & 16) ? in.Byte() % 8 : 0);
  }
  return f;
}

std::string fuzz_dir;

// File names the host may set: a new file, one in a missing directory, none.
void PickFileName(uint8_t choice, void* setup) {
  auto* name = static_cast<char*>(setup) + offsetof(TW_SETUPFILEXFER, FileName);
  const std::string names[] = {fuzz_dir + "/x.bmp", fuzz_dir + "/missing/x.bmp", ""};
  std::snprintf(name, sizeof(TW_SETUPFILEXFER::FileName), "%s", names[choice % 3].c_str());
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  setenv("SNAPSRC_UNATTENDED", "/dev/null", 1);
  setenv("SNAPSRC_DSM", "/nonexistent", 1);
  setenv("SNAPSRC_REGISTRY", "/nonexistent", 1);
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  char dir[] = "/tmp/fuzz_ds_entry_XXXXXX";
  if (mkdtemp(dir) != nullptr) fuzz_dir = dir;
  std::atexit([] {
    if (fuzz_dir.empty()) return;
    std::remove((fuzz_dir + "/x.bmp").c_str());
    std::remove(fuzz_dir.c_str());
  });
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  ResetSourceState();
  ResetCapabilities();
  ResetTransferState();
  InitSourceAtLoad(reinterpret_cast<void*>(1));
  Reader in{data, size};
  TW_IDENTITY app{};
  app.Id = 1;

  // Up to eight records, photos, clip frames and clip starts, some selected.
  ResetPictureTable();
  const uint8_t table = in.Byte();
  picture_table.picture_count = table & 7;
  for (int i = 0; i < picture_table.picture_count; ++i) {
    PictureRecord& r = picture_table.records[i];
    r.kind = (table >> (3 + i % 5)) & 1 ? kPicturePhoto : (i & 1 ? kPictureClipFrame : kPictureClipStart);
    r.selected = (table >> (i % 8)) & 1;
    r.width = 640;
    r.height = 480;
  }
  picture_table.current_picture = static_cast<int8_t>(in.Byte());
  fuzz_picture = ReadFuzzPicture(in);
  xfer_picture_source_for_tests = &DecodeFuzzPicture;

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
    std::vector<uint8_t> payload(1100);  // room for DAT_RGBRESPONSE's 1024 bytes
    size_t n = in.Byte();
    for (size_t i = 0; i < n && i < payload.size(); ++i) payload[i] = in.Byte();
    // Pointer fields inside it must not point at random memory: hosts pass
    // real handles, and the source may dereference its own container handles.
    if (dat == DAT_USERINTERFACE) std::memset(payload.data() + 4, 0, sizeof(void*));
    if (dat == DAT_EVENT || msg == MSG_PROCESSEVENT) std::memset(payload.data(), 0, sizeof(void*));
    void* pdata = (op & 32) ? nullptr : payload.data();

    // The window's transfer button, now and then.
    if ((op & 0xC0) == 0xC0 && in.Byte() < 32) StartTransferBatch();
    // The memory transfer's buffer is the host's: really as long as it says,
    // or a null pointer.
    std::vector<uint8_t> host_buffer;
    if (dat == DAT_IMAGEMEMXFER) {
      TW_MEMORY memory{};
      memory.Flags = in.Byte() & 1 ? TWMF_HANDLE : TWMF_POINTER;
      memory.Length = in.Word() % 20000;
      host_buffer.resize(memory.Length);
      memory.TheMem = in.Byte() == 0 ? nullptr : host_buffer.data();
      std::memcpy(payload.data() + offsetof(TW_IMAGEMEMXFER, Memory), &memory, sizeof memory);
    }
    if (dat == DAT_SETUPFILEXFER) PickFileName(in.Byte(), payload.data());
    if (dat == DAT_IMAGENATIVEXFER) std::memset(payload.data(), 0, sizeof(TW_HANDLE));

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
    const TW_UINT16 rc = SourceEntry(origin, dg, dat, msg, pdata);
    // A native transfer's picture belongs to the host now.
    if (dg == DG_IMAGE && dat == DAT_IMAGENATIVEXFER && msg == MSG_GET && rc == TWRC_XFERDONE && pdata != nullptr) {
      TW_HANDLE image;
      std::memcpy(&image, payload.data(), sizeof image);
      std::free(image);
    }
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
  ResetTransferState();
  return 0;
}
