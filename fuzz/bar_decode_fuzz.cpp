// Decoding of .bar files: any file contents under any picture record, read
// through the whole path a picture takes (the table's indices and the
// substitution, the file read from the store, the header, the row exchange of
// narrow pictures, the library, the check of its bitmap, thumbnail and
// enlargement). The file block is exactly as long as the file, so reading
// past it is caught.
//
// Input: 12 bytes of record and table fields, then the file's bytes. Record
// 1's file is the same bytes from the second one on.
#include <stdlib.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "camera/camera_commands.h"
#include "camera/decoding.h"
#include "camera/imaging_library.h"
#include "camera/picture_store.h"
#include "camera/picture_table.h"
#include "camera/whole_file.h"
#include "kx3300_ip.h"
#include "platform/memory.h"

namespace {

constexpr int kWidths[] = {88, 160, 176, 320, 352, 640};
constexpr int kHeights[] = {72, 120, 144, 240, 288, 480};
constexpr std::size_t kFieldBytes = 12;

// A side: one the camera makes, a small one of any shape (so that whole
// files fit the fuzzer's inputs), or any 16-bit value, negative included.
int Side(uint8_t choice, uint8_t low, uint8_t high, const int (&camera)[6]) {
  switch (choice % 3) {
    case 0: return camera[low % 6];
    case 1: return 1 + low % 24;
    default: return static_cast<int16_t>(low | (high << 8));
  }
}

void RemoveStore() {
  char path[kStorePathSize + 16];
  for (int record : {0, 1}) {
    if (PicturePath(record, path, sizeof path)) unlink(path);
  }
  rmdir(picture_store.store_dir);
}

bool MakeStore() {
  char dir[] = "/tmp/bar_decode_fuzz.XXXXXX";
  if (mkdtemp(dir) == nullptr) return false;
  atexit(RemoveStore);
  std::snprintf(picture_store.store_dir, kStorePathSize, "%s", dir);
  std::snprintf(picture_store.picture_dir, kStorePathSize, "%s", dir);
  imaging_library.IP_hDIB = IP_hDIB;
  imaging_library.IP_pRGB24 = IP_pRGB24;
  imaging_library.IP_ImageResample = IP_ImageResample;
  return true;
}

void Record(PictureRecord& r, const uint8_t* f) {
  r.width = Side(f[0], f[1], f[2], kWidths);
  r.height = Side(f[0] / 3, f[3], f[4], kHeights);
  r.mode = f[5] & 0x0F;
  r.kind = (f[6] & 1) ? kPictureClipStart : kPicturePhoto;
  r.narrow = (f[6] >> 1) & 1;
  r.half_height = (f[6] >> 2) & 1;
  r.use_next = (f[6] >> 3) & 1;
  r.param20 = f[7];
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  static const bool ready = MakeStore();
  if (!ready || size < kFieldBytes) return 0;
  const uint8_t* f = data;
  const uint8_t* file = data + kFieldBytes;
  const std::size_t file_size = size - kFieldBytes;

  ResetPictureTable();
  Record(picture_table.records[0], f);
  Record(picture_table.records[1], f + 1);
  picture_table.picture_count = (f[8] & 3);
  picture_table.current_picture = static_cast<int8_t>(f[9]) % 4;
  camera_state.camera_model = f[10] & 0x1F;
  camera_state.enlarge_photos = f[10] >> 7;
  image_adjustments.brightness = f[11] & 0x7F;
  image_adjustments.quality = (f[11] & 0x80) ? 125 : 100;

  char path[kStorePathSize + 16];
  if (PicturePath(0, path, sizeof path)) WriteWholeFile(path, file, file_size);
  if (PicturePath(1, path, sizeof path)) WriteWholeFile(path, file + (file_size > 0), file_size - (file_size > 0));

  if (void* bitmap = DecodeCurrentPicture()) {
    // The header the decoder vouched for must describe the block.
    const std::size_t bytes = static_cast<std::size_t>(BitmapWidth(bitmap)) * BitmapHeight(bitmap) * 3;
    if (BlockSize(bitmap) < kBitmapHeaderSize + bytes) __builtin_trap();
    if (camera_state.enlarge_photos && bytes < 200000) bitmap = UpscalePicture(bitmap);
    FreeBlock(bitmap);
  }
  if (f[8] & 4) {
    picture_table.records[0].kind = kPicturePhoto;
    if (void* thumbnail = MakeThumbnail(0)) FreeBlock(thumbnail);
  }
  return 0;
}
