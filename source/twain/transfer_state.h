// What the source keeps between the calls of a transfer batch: the pending
// count, the picture being handed over, how far a memory transfer has got, the
// file transfer's destination and the host's RGB response table. Also the
// operations the transfer handlers share.
#pragma once

#include <cstddef>
#include <cstdint>

#include "twain/twain.h"

// The file name field of TW_SETUPFILEXFER: 255 bytes and the terminator.
constexpr std::size_t kXferFileNameSize = 256;

// What DAT_SETUPMEMXFER offers.
constexpr TW_UINT32 kMemXferMinBufSize = 16384;
constexpr TW_UINT32 kMemXferMaxBufSize = 65535;
constexpr TW_UINT32 kMemXferPreferred = 65535;

struct TransferState {
  int32_t pending_count;  // transfers left in the batch, never below 0
  // The packed DIB being transferred, from its preparation until it is handed
  // over or released; its pixel rows are bottom-up.
  void* image;
  uint8_t* image_lock;  // the locked image when its header and size were sound, else null
  uint8_t* bits_start;  // first byte of the pixel rows
  uint32_t row_stride;  // bytes per stored row, padded to a multiple of 4
  // Stored rows not yet copied by the memory transfer. The next strip starts
  // with stored row rows_left - 1, so the top of the picture goes first; 0
  // means the whole picture has been delivered. Kept as a count rather than a
  // moving pointer, so the copier can never step outside the rows.
  uint32_t rows_left;
  uint32_t mem_stride;                // BytesPerRow of the memory transfer, taken at preparation
  uint32_t mem_position;              // rows delivered of the current image; 0: the next memory transfer starts anew
  char file_name[kXferFileNameSize];  // destination of file transfers, "" until the host sets one
  TW_ELEMENT8 rgb_response[256];      // what DAT_RGBRESPONSE stores; nothing reads it
};

extern TransferState transfer_state;

// Frees a held image and returns everything to its state at load.
void ResetTransferState();

// Where PrepareXferImage gets its picture. Null (always, outside tests) means
// decoding the picture table's current picture and enlarging it when the
// camera's settings ask for it; a test installs its own pictures here.
using XferPictureSource = void* (*)();
extern XferPictureSource xfer_picture_source_for_tests;

// The user started a batch of `count` pictures (negative counts as 0).
void SetPendingXfers(int count);

// What the transfer button does, without its buttons and dialog: counts the
// selected photos and clips and, when there are any, sets the pending count,
// moves current_picture to the first of them and tells the host images are
// ready (state 6). Returns the number of selected photos plus clips.
int StartTransferBatch();

// Decodes the current picture into a new transfer image (freeing one still
// held) and advances the progress dialog, also when decoding gave nothing.
// Gives out the row stride in `*stride` when the image could be locked (else
// leaves it). True when there is an image, locked or not.
bool PrepareXferImage(uint32_t* stride);

// Hands the transfer image over (unlocked) and forgets it; null when none.
void* TakeXferImage();

// The end of one transfer: one pending transfer fewer, the image released, the
// memory transfer back to its start.
void EndCurrentXfer();

// Copies as many whole rows as fit in `length` bytes, top row first, turning
// blue-green-red into red-green-blue, straight into `destination`: each row
// in groups of three bytes as far as its stride holds whole groups; the one or
// two bytes after the last group are not touched. Gives out the bytes written
// (rows × stride)
// and whether the last row has now been delivered (also when no row was left
// to deliver). False without a locked image or without a destination.
bool CopyImageStrip(uint8_t* destination, uint32_t length, uint32_t* bytes_written, bool* last_strip);

// Writes a packed DIB as a BMP file: the 14-byte file header, then the DIB as
// it is. False when there is no image, its header does not describe it, or the
// file cannot be created or fully written.
bool WriteDibAsBmp(void* image, const char* file_name);

// The BMP file header's bfSize for a DIB header: 54 + 4 × (colours used +
// 32-bit words per row × height). 0 for a header that is not a bottom-up DIB
// of positive size.
uint64_t BmpFileSize(const uint8_t* dib_header);
