#include "twain/transfer_state.h"

#include <bit>
#include <cstring>
#include <iterator>
#include <limits>

#include "camera/decoding.h"
#include "camera/picture_table.h"
#include "platform/memory.h"
#include "platform/plain_files.h"
#include "twain/notify.h"
#include "ui/progress.h"

TransferState transfer_state;
XferPictureSource xfer_picture_source_for_tests = nullptr;

namespace {

constexpr std::size_t kInfoHeaderSize = 40;
constexpr std::size_t kFileHeaderSize = 14;

uint32_t ReadLe32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
         static_cast<uint32_t>(p[3]) << 24;
}

uint16_t ReadLe16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }

void WriteLe32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

// The fields of a BITMAPINFOHEADER the transfer reads.
struct DibHeader {
  int32_t width;
  int32_t height;  // positive: rows stored bottom-up
  uint16_t bit_count;
  uint32_t colours_used;
};

DibHeader ReadDibHeader(const uint8_t* dib) {
  return {static_cast<int32_t>(ReadLe32(dib + 4)), static_cast<int32_t>(ReadLe32(dib + 8)), ReadLe16(dib + 14),
          ReadLe32(dib + 32)};
}

// Entries of the colour table between the header and the rows.
uint64_t ColourTableEntries(const DibHeader& h) {
  if (h.colours_used != 0) return h.colours_used;
  switch (h.bit_count) {
    case 1: return 2;
    case 4: return 16;
    case 8: return 256;
    default: return 0;
  }
}

uint64_t RowStride(const DibHeader& h) {
  return (static_cast<uint64_t>(h.bit_count) * static_cast<uint64_t>(h.width) + 31) / 32 * 4;
}

void ForgetRows() {
  transfer_state.image_lock = nullptr;
  transfer_state.bits_start = nullptr;
  transfer_state.row_stride = 0;
  transfer_state.rows_left = 0;
}

void ReleaseImage() {
  if (transfer_state.image != nullptr) {
    if (transfer_state.image_lock != nullptr) UnlockBlock(transfer_state.image);
    FreeBlock(transfer_state.image);
    transfer_state.image = nullptr;
  }
  ForgetRows();
}

// Locks the image when its header describes rows that all lie inside the block:
// the copier trusts the rows it is given, so a picture that claims more than it
// holds is never locked, and a copy from it then fails.
bool LockImage() {
  void* image = transfer_state.image;
  const std::size_t block = BlockSize(image);
  if (block < kInfoHeaderSize) return false;
  auto* dib = static_cast<uint8_t*>(LockBlock(image));
  if (dib == nullptr) return false;
  const DibHeader h = ReadDibHeader(dib);
  const uint64_t stride = RowStride(h);
  const uint64_t offset = kInfoHeaderSize + 4 * ColourTableEntries(h);
  const bool sound = h.width > 0 && h.height > 0 && h.bit_count > 0 && h.bit_count <= 32 &&
                     stride <= std::numeric_limits<uint32_t>::max() &&
                     offset + stride * static_cast<uint64_t>(h.height) <= block;
  if (!sound) {
    UnlockBlock(image);
    return false;
  }
  transfer_state.image_lock = dib;
  transfer_state.bits_start = dib + offset;
  transfer_state.row_stride = static_cast<uint32_t>(stride);
  transfer_state.rows_left = static_cast<uint32_t>(h.height);
  return true;
}

static_assert(std::endian::native == std::endian::little, "the word shuffle reads bytes little-endian");

// Writes `pixels` pixels of a stored row in red-green-blue order. Four pixels
// go at a time as one 8-byte and one 4-byte word, about twice as fast as byte
// by byte; the rest go byte by byte. Reads and writes stay within 3 × pixels
// bytes.

void CopyRowAsRgb(uint8_t* out, const uint8_t* in, uint32_t pixels) {
  uint32_t i = 0;
  for (; i + 4 <= pixels; i += 4, in += 12, out += 12) {
    uint64_t a;  // b0 g0 r0 b1 g1 r1 b2 g2, first byte lowest
    uint32_t c;  // r2 b3 g3 r3
    std::memcpy(&a, in, 8);
    std::memcpy(&c, in + 8, 4);
    const uint64_t head = (a & 0xFF0000FF0000FF00ull)            // g0, g1, g2 stay
                          | ((a >> 16) & 0x00000000FF0000FFull)  // r0, r1
                          | ((a << 16) & 0x0000FF0000FF0000ull)  // b0, b1
                          | (static_cast<uint64_t>(c & 0xFFu) << 48);  // r2
    const uint32_t tail = static_cast<uint32_t>((a >> 48) & 0xFFu)  // b2
                          | ((c >> 16) & 0x0000FF00u)               // r3
                          | (c & 0x00FF0000u)                       // g3 stays
                          | ((c << 16) & 0xFF000000u);              // b3
    std::memcpy(out, &head, 8);
    std::memcpy(out + 8, &tail, 4);
  }
  for (; i < pixels; ++i, in += 3, out += 3) {
    out[0] = in[2];
    out[1] = in[1];
    out[2] = in[0];
  }
}

void* DecodeXferPicture() {
  if (xfer_picture_source_for_tests != nullptr) return xfer_picture_source_for_tests();
  return UpscalePicture(DecodeCurrentPicture());
}

}  // namespace

void ResetTransferState() {
  ReleaseImage();
  std::memset(&transfer_state, 0, sizeof transfer_state);
  xfer_picture_source_for_tests = nullptr;
}

void SetPendingXfers(int count) { transfer_state.pending_count = count < 0 ? 0 : count; }

int StartTransferBatch() {
  const int selected = CountSelected(nullptr, nullptr);
  if (selected > 0) {
    SetPendingXfers(selected);
    picture_table.current_picture = FirstSelectedItem();
    NotifyXferReady();
  }
  return selected;
}

bool PrepareXferImage(uint32_t* stride) {
  ReleaseImage();
  transfer_state.image = DecodeXferPicture();
  // One step per picture the host asks for, also when there was nothing to decode.
  ProgressStep();
  if (transfer_state.image == nullptr) return false;
  if (LockImage() && stride != nullptr) *stride = transfer_state.row_stride;
  return true;
}

void* TakeXferImage() {
  void* image = transfer_state.image;
  if (image != nullptr && transfer_state.image_lock != nullptr) UnlockBlock(image);
  transfer_state.image = nullptr;
  ForgetRows();
  return image;
}

void EndCurrentXfer() {
  if (transfer_state.pending_count > 0) --transfer_state.pending_count;
  ReleaseImage();
  transfer_state.mem_position = 0;
}

bool CopyImageStrip(uint8_t* destination, uint32_t length, uint32_t* bytes_written, bool* last_strip) {
  *bytes_written = 0;
  *last_strip = false;
  if (transfer_state.image == nullptr || transfer_state.image_lock == nullptr || destination == nullptr) {
    return false;
  }
  const uint32_t stride = transfer_state.row_stride;
  // Asked again after the last strip: there is nothing more to give.
  if (transfer_state.rows_left == 0) {
    *last_strip = true;
    return true;
  }
  uint32_t rows = length / stride;
  uint8_t* out = destination;
  for (; rows > 0; --rows) {
    const uint8_t* in = transfer_state.bits_start + static_cast<std::size_t>(transfer_state.rows_left - 1) * stride;
    CopyRowAsRgb(out, in, stride / 3);
    out += stride;
    *bytes_written += stride;
    if (--transfer_state.rows_left == 0) {
      *last_strip = true;
      break;
    }
  }
  return true;
}

uint64_t BmpFileSize(const uint8_t* dib_header) {
  const DibHeader h = ReadDibHeader(dib_header);
  if (h.width <= 0 || h.height <= 0 || h.bit_count == 0) return 0;
  const uint64_t words_per_row = RowStride(h) / 4;
  return 54 + 4 * (static_cast<uint64_t>(h.colours_used) + words_per_row * static_cast<uint64_t>(h.height));
}

bool WriteDibAsBmp(void* image, const char* file_name) {
  if (image == nullptr) return false;
  const std::size_t block = BlockSize(image);
  if (block < kInfoHeaderSize) return false;
  auto* dib = static_cast<const uint8_t*>(LockBlock(image));
  if (dib == nullptr) return false;
  const uint64_t file_size = BmpFileSize(dib);
  // The header decides how much is written: never more than the block holds.
  bool ok = file_size != 0 && file_size <= std::numeric_limits<uint32_t>::max() &&
            file_size - kFileHeaderSize <= block;
  if (ok) {
    uint8_t header[kFileHeaderSize] = {'B', 'M'};
    WriteLe32(header + 2, static_cast<uint32_t>(file_size));
    WriteLe32(header + 10, 54 + 4 * ReadDibHeader(dib).colours_used);
    const FilePiece pieces[] = {{header, sizeof header}, {dib, static_cast<std::size_t>(file_size - kFileHeaderSize)}};
    ok = WriteFilePieces(file_name, pieces, std::size(pieces));
  }
  UnlockBlock(image);
  return ok;
}
