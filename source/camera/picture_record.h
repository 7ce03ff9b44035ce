// One picture of the camera as the source and the imaging library both see it.
// Public ABI: the record is handed unchanged to the imaging library, which
// includes this header, so it depends on nothing else.
//
// The fields keep the order and the 32-bit integers of the camera's original
// 32-bit record; on a 64-bit host the handle and pointer fields are
// pointer-sized, so the record is larger and `record_size` holds its real size.
#pragma once

#include <cstddef>
#include <cstdint>

// Kinds, from the picture's parameter 10.
constexpr int32_t kPicturePhoto = 0;
constexpr int32_t kPictureClipFrame = 1;   // a further frame of the clip before it
constexpr int32_t kPictureClipStart = 17;  // the first frame of a clip

struct PictureRecord {
  int32_t record_size;   // sizeof(PictureRecord), set before every library call
  int32_t width;         // pixels
  int32_t height;        // rows as stored
  int32_t mode;          // 0..15
  int32_t kind;          // kPicturePhoto, kPictureClipStart or kPictureClipFrame
  int32_t model;         // the camera's model, set before every library call
  int32_t param20;
  int32_t param11_flag;  // 0 or 1
  int32_t narrow;        // 1 when width < 352
  int32_t half_height;   // 1 when width > 2 x height: decodes to twice `height` rows
  int32_t selected;      // 1 = chosen for transfer or saving
  void* buffer;          // memory block of the transfer buffer while the picture downloads, else null
  int32_t use_next;      // 1 = this picture's data is the next record's file
  const double* adjust;  // brightness, contrast, quality factors during a library call, else null
};

static_assert(offsetof(PictureRecord, record_size) == 0);
static_assert(offsetof(PictureRecord, width) == 4);
static_assert(offsetof(PictureRecord, height) == 8);
static_assert(offsetof(PictureRecord, mode) == 12);
static_assert(offsetof(PictureRecord, kind) == 16);
static_assert(offsetof(PictureRecord, model) == 20);
static_assert(offsetof(PictureRecord, param20) == 24);
static_assert(offsetof(PictureRecord, param11_flag) == 28);
static_assert(offsetof(PictureRecord, narrow) == 32);
static_assert(offsetof(PictureRecord, half_height) == 36);
static_assert(offsetof(PictureRecord, selected) == 40);
static_assert(offsetof(PictureRecord, buffer) == (sizeof(void*) == 8 ? 48 : 44));
static_assert(offsetof(PictureRecord, use_next) == (sizeof(void*) == 8 ? 56 : 48));
static_assert(offsetof(PictureRecord, adjust) == (sizeof(void*) == 8 ? 64 : 52));
static_assert(sizeof(PictureRecord) == (sizeof(void*) == 8 ? 72 : 56));

constexpr int32_t kPictureRecordSize = static_cast<int32_t>(sizeof(PictureRecord));
