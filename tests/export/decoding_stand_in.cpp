// Decoding for the export tests while the source has no decoding of its own
// yet: the same steps on the same files through the same library, with no
// enlargement. Built only when source/camera/decoding.cpp does not exist.
#include <cstring>

#include "camera/camera_commands.h"
#include "camera/decoding.h"
#include "camera/imaging_library.h"
#include "camera/picture_store.h"
#include "camera/picture_table.h"
#include "camera/pixel_scaling.h"
#include "camera/whole_file.h"
#include "platform/memory.h"

ImageAdjustments image_adjustments;
void ResetImageAdjustments() { image_adjustments = ImageAdjustments{}; }

void* DecodeCurrentPicture() {
  if (picture_table.picture_count <= 0 || picture_table.current_picture >= picture_table.picture_count ||
      picture_table.current_picture < 0) {
    return nullptr;
  }
  int r = picture_table.current_picture;
  if (picture_table.records[r].use_next != 0) ++r;
  if (r >= picture_table.picture_count) return nullptr;
  char path[kStorePathSize];
  if (!PicturePath(r, path, sizeof path)) return nullptr;
  std::size_t length = 0;
  void* block = ReadWholeFile(path, &length);
  if (block == nullptr) return nullptr;
  auto* data = static_cast<uint8_t*>(LockBlock(block));
  PictureRecord& record = picture_table.records[r];
  void* result = nullptr;
  if (length >= kBarDataOffset + static_cast<std::size_t>(record.width) * record.height + 4 &&
      imaging_library.IP_hDIB != nullptr) {
    record.param11_flag = data[0];
    record.param20 = data[1];
    if (data[2] != kBarModeUnchanged) record.mode = data[2];
    if (record.narrow != 0) ExchangeRowPairs(data + kBarDataOffset, record.width, record.height);
    record.record_size = kPictureRecordSize;
    record.model = camera_state.camera_model;
    const double adjust[3] = {image_adjustments.brightness * 0.01, image_adjustments.contrast * 0.01,
                              image_adjustments.quality * 0.01};
    record.adjust = adjust;
    result = imaging_library.IP_hDIB(&record, data + kBarDataOffset);
    record.adjust = nullptr;
  }
  FreeBlock(block);
  return result;
}

void* UpscalePicture(void* bitmap) { return bitmap; }

int32_t BitmapWidth(const void* bitmap) {
  int32_t value = 0;
  std::memcpy(&value, static_cast<const uint8_t*>(bitmap) + 4, 4);
  return value;
}

int32_t BitmapHeight(const void* bitmap) {
  int32_t value = 0;
  std::memcpy(&value, static_cast<const uint8_t*>(bitmap) + 8, 4);
  return value;
}
