#include "camera/decoding.h"

#include <cstddef>
#include <cstring>

#include "camera/camera_commands.h"
#include "camera/imaging_library.h"
#include "camera/picture_store.h"
#include "camera/picture_table.h"
#include "camera/pixel_scaling.h"
#include "camera/whole_file.h"
#include "platform/memory.h"

ImageAdjustments image_adjustments;

void ResetImageAdjustments() { image_adjustments = {}; }

namespace {

constexpr std::size_t kWidthOffset = 4;
constexpr std::size_t kHeightOffset = 8;
constexpr std::size_t kImageSizeOffset = 20;
constexpr int kThumbnailWidth = 80;
constexpr int kThumbnailHeight = 60;
// The trailer the camera sends after the mosaic: gains, frame number, check.
constexpr std::size_t kRawTrailerSize = 4;
// What the library's resampler accepts; anything beyond is no bitmap of ours.
constexpr int kLargestSide = 16384;

int32_t Get32(const void* block, std::size_t offset) {
  uint32_t v = 0;
  const auto* p = static_cast<const uint8_t*>(block) + offset;
  for (int i = 0; i < 4; ++i) v |= static_cast<uint32_t>(p[i]) << (8 * i);
  return static_cast<int32_t>(v);
}

void Put32(void* block, std::size_t offset, uint32_t v) {
  auto* p = static_cast<uint8_t*>(block) + offset;
  for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

std::size_t PixelBytes(int width, int height) {
  return static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3;
}

// A block we can read as a packed bitmap of the given size: the header says
// so and the block really holds every row.
bool IsBitmapOfSize(void* bitmap, int width, int height) {
  if (bitmap == nullptr || BlockSize(bitmap) < kBitmapHeaderSize) return false;
  if (BitmapWidth(bitmap) != width || BitmapHeight(bitmap) != height) return false;
  return BlockSize(bitmap) >= kBitmapHeaderSize + PixelBytes(width, height);
}

// A new bitmap with `source`'s header and the given size; its pixels are zero.
void* NewBitmapLike(const void* source, int width, int height) {
  const std::size_t pixels = PixelBytes(width, height);
  void* block = AllocBlock(kBitmapHeaderSize + pixels);
  if (block == nullptr) return nullptr;
  std::memcpy(block, source, kBitmapHeaderSize);
  Put32(block, kWidthOffset, static_cast<uint32_t>(width));
  Put32(block, kHeightOffset, static_cast<uint32_t>(height));
  Put32(block, kImageSizeOffset, static_cast<uint32_t>(pixels));
  return block;
}

uint8_t* Pixels(void* bitmap) { return static_cast<uint8_t*>(bitmap) + kBitmapHeaderSize; }

}  // namespace

int32_t BitmapWidth(const void* bitmap) { return bitmap == nullptr ? 0 : Get32(bitmap, kWidthOffset); }
int32_t BitmapHeight(const void* bitmap) { return bitmap == nullptr ? 0 : Get32(bitmap, kHeightOffset); }

std::size_t BarFileBytes(int width, int height) {
  if (width <= 0 || height <= 0) return 0;
  return kBarDataOffset + static_cast<std::size_t>(width) * static_cast<std::size_t>(height) + kRawTrailerSize;
}

void* DecodeBarData(PictureRecord& record, uint8_t* data, std::size_t length) {
  if (data == nullptr) return nullptr;
  // The library reads w x h + 4 bytes on the strength of the record alone, so
  // a file cut short (a full disk during the download, a foreign "bar_path")
  // never reaches it, and neither does a record without a size.
  const std::size_t needed = BarFileBytes(record.width, record.height);
  if (needed == 0 || length < needed) return nullptr;

  record.param11_flag = data[kBarParam11FlagOffset];
  record.param20 = data[kBarParam20Offset];
  if (data[kBarModeOffset] != kBarModeUnchanged) record.mode = data[kBarModeOffset];

  uint8_t* raw = data + kBarDataOffset;
  if (record.narrow) ExchangeRowPairs(raw, record.width, record.height);

  record.record_size = kPictureRecordSize;
  record.model = camera_state.camera_model;
  if (imaging_library.IP_hDIB == nullptr) return nullptr;

  const double adjust[3] = {image_adjustments.brightness * 0.01, image_adjustments.contrast * 0.01,
                            image_adjustments.quality * 0.01};
  record.adjust = adjust;
  void* bitmap = imaging_library.IP_hDIB(&record, raw);
  record.adjust = nullptr;
  if (bitmap == nullptr) return nullptr;

  // Everyone after us trusts the header for the size of the rows; a library
  // that answers with another size than the picture's is not believed.
  const int64_t rows = static_cast<int64_t>(record.height) * (record.half_height ? 2 : 1);
  if (rows > kLargestSide || !IsBitmapOfSize(bitmap, record.width, static_cast<int>(rows))) {
    FreeBlock(bitmap);
    return nullptr;
  }
  UnlockBlock(bitmap);
  return bitmap;
}

void* DecodeCurrentPicture() {
  const PictureTable& table = picture_table;
  const int count = table.picture_count < kMaxPictures ? table.picture_count : kMaxPictures;
  int r = table.current_picture;
  if (count <= 0 || r < 0 || r >= count) return nullptr;
  // A picture the camera could not deliver itself is shown by the next one's
  // data; the last record has no next one.
  if (table.records[r].use_next) ++r;
  if (r >= count) return nullptr;

  char path[kStorePathSize + 16];
  if (!PicturePath(r, path, sizeof path)) return nullptr;
  std::size_t length = 0;
  auto* data = static_cast<uint8_t*>(ReadWholeFile(path, &length));
  if (data == nullptr) return nullptr;
  void* bitmap = DecodeBarData(picture_table.records[r], data, length);
  FreeBlock(data);
  return bitmap;
}

void* DecodeItem(int k) {
  const int32_t current = picture_table.current_picture;
  const int record = FindItem(k, nullptr);
  void* bitmap = nullptr;
  if (record >= 0) {
    picture_table.current_picture = record;
    bitmap = DecodeCurrentPicture();
    picture_table.current_picture = current;
  }
  return bitmap;
}

void* MakeThumbnail(int k) {
  void* decoded = DecodeItem(k);
  if (decoded == nullptr) return nullptr;
  void* thumbnail = NewBitmapLike(decoded, kThumbnailWidth, kThumbnailHeight);
  if (thumbnail != nullptr) {
    ScalePixels(Pixels(decoded), BitmapWidth(decoded), BitmapHeight(decoded), Pixels(thumbnail), kThumbnailWidth,
                kThumbnailHeight);
  }
  FreeBlock(decoded);
  return thumbnail;
}

int UpscaledWidth(int width) {
  if (camera_state.enlarge_photos == 0) return width;
  return width == 352 ? 640 : 2 * width;
}

int UpscaledHeight(int height) {
  if (camera_state.enlarge_photos == 0) return height;
  return height == 288 ? 480 : 2 * height;
}

void* UpscalePicture(void* bitmap) {
  if (camera_state.enlarge_photos == 0 || bitmap == nullptr) return bitmap;
  const int width = BitmapWidth(bitmap);
  const int height = BitmapHeight(bitmap);
  // A block that is no bitmap of ours (a top-down or empty one, or one whose
  // rows are not all there) is handed back as it came rather than read.
  if (width <= 0 || height <= 0 || width > kLargestSide / 2 || height > kLargestSide / 2 ||
      !IsBitmapOfSize(bitmap, width, height)) {
    return bitmap;
  }
  const int new_width = UpscaledWidth(width);
  const int new_height = UpscaledHeight(height);
  void* enlarged = NewBitmapLike(bitmap, new_width, new_height);
  // Without memory for the larger picture the caller still gets the picture.
  if (enlarged == nullptr) return bitmap;
  const bool resampled =
      imaging_library.IP_ImageResample != nullptr &&
      imaging_library.IP_ImageResample(Pixels(bitmap), width, height, Pixels(enlarged), new_width, new_height) == 1;
  // Without the library's filter our own bilinear one still gives the picture,
  // not an empty frame of the promised size.
  if (!resampled) ScalePixels(Pixels(bitmap), width, height, Pixels(enlarged), new_width, new_height);
  FreeBlock(bitmap);
  return enlarged;
}

namespace {

// The current record when there is one.
const PictureRecord* CurrentRecord() {
  const PictureTable& table = picture_table;
  const int count = table.picture_count < kMaxPictures ? table.picture_count : kMaxPictures;
  if (count <= 0 || table.current_picture < 0 || table.current_picture >= count) return nullptr;
  return &table.records[table.current_picture];
}

}  // namespace

float ReportedWidth() {
  const PictureRecord* record = CurrentRecord();
  if (record == nullptr) return 320.0f;
  int width = record->width;
  if (image_adjustments.increase_resolution) width *= 2;
  return static_cast<float>(UpscaledWidth(width));
}

float ReportedHeight() {
  const PictureRecord* record = CurrentRecord();
  if (record == nullptr) return 240.0f;
  int height = record->height;
  if (image_adjustments.increase_resolution) height *= 2;
  if (record->half_height) height *= 2;
  return static_cast<float>(UpscaledHeight(height));
}
