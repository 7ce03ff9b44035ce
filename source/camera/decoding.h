// Turning stored pictures into bitmaps. Nothing decoded is kept: every call
// reads the .bar file again and the caller owns the bitmap it gets back.
//
// A packed bitmap is one movable memory block (platform/memory.h): a 40-byte
// BITMAPINFOHEADER followed at once by bottom-up rows of blue, green, red,
// exactly 3 x width bytes each, no colour table.
#pragma once

#include <cstddef>
#include <cstdint>

#include "camera/picture_record.h"

// The user's adjustments, in percent, and the size switches. They live as long
// as the library is loaded.
struct ImageAdjustments {
  int brightness = 100;
  int contrast = 100;
  int quality = 100;  // 125 in high quality mode
  bool increase_resolution = false;
};

extern ImageAdjustments image_adjustments;
void ResetImageAdjustments();

// The current picture of the picture table; null when there is none, its file
// cannot be read or is shorter than the picture needs, or the imaging library
// is missing.
void* DecodeCurrentPicture();

// Bytes a .bar file must hold for a picture of the record's size: the
// header, the mosaic and the camera's trailer; 0 for a size that is not
// positive.
std::size_t BarFileBytes(int width, int height);

// Decodes the contents of `record`'s .bar file, `length` bytes at `data`, as
// DecodeCurrentPicture does once it has read them: the header's fields go
// into the record (which keeps them), narrow rows are put back in order in
// `data`, and the library develops the rest. Null for data shorter than the
// record needs, without the library, or when the library's bitmap is not one
// of the record's size.
void* DecodeBarData(PictureRecord& record, uint8_t* data, std::size_t length);

// The k-th item (photo or clip start); `current_picture` is left as it was.
void* DecodeItem(int k);

// An 80 x 60 bitmap of the k-th item, or null.
void* MakeThumbnail(int k);

// Enlarges a decoded photo when the camera's settings ask for it. Takes
// ownership of `bitmap` and returns the block to use from then on.
void* UpscalePicture(void* bitmap);

int UpscaledWidth(int width);
int UpscaledHeight(int height);

// The size of the current picture as the host is told it: 320 x 240 when
// there is none.
float ReportedWidth();
float ReportedHeight();

// Reading a packed bitmap's header fields (little-endian, offsets 4, 8, 20).
constexpr int kBitmapHeaderSize = 40;
int32_t BitmapWidth(const void* bitmap);
int32_t BitmapHeight(const void* bitmap);
