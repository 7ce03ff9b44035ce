// The baseline JPEG encoder: its own colour conversion, integer DCT,
// reciprocal quantisation and Huffman coder with the Annex K tables of T.81.
// The streams carry SOI, DQT, DHT, SOF0, SOS, the entropy-coded data and EOI,
// nothing else (no JFIF segment).
#pragma once

#include <cstddef>
#include <cstdint>

// Input formats, rows top to bottom, no row padding.
enum JpegInputFormat : unsigned {
  JPEG_GRAY = 0,    // one byte per pixel: 8×8 MCU, one component
  JPEG_YCC420 = 1,  // per 2×2 square: Y top-left, top-right, bottom-left, bottom-right, Cb, Cr; 16×16 MCU
  JPEG_YCC422 = 2,  // per 2 pixels side by side: Y, Cb, Y, Cr; 16×8 MCU
  JPEG_YCC444 = 3,  // per pixel: Y, Cb, Cr; 8×8 MCU
  JPEG_BGR = 4,     // per pixel: blue, green, red; converted in place into JPEG_YCC422
};

// Odd sizes. A JPEG_YCC422 row of odd width ends with its last pixel on its
// own as Y, Cb, Cr (2 × width + 1 bytes), and JPEG_BGR pairs pixels within
// each row and converts to that layout, so the last column keeps its own
// colour instead of pairing with the first pixel of the next row. JPEG_YCC420 rows and columns of squares are rounded
// up: a square that sticks out of the picture is read for its inside samples.
// Partial MCUs are completed by repeating the last real sample rightwards and
// the last real line downwards.

// MCU geometry of one image. Offsets are in bytes of the input.
struct JpegGeometry {
  uint32_t mcu_width = 0, mcu_height = 0;
  uint32_t mcus_across = 0, mcus_down = 0;
  uint32_t last_width = 0, last_height = 0;  // pixels of the last MCU column, lines of the last MCU row
  std::size_t row_bytes = 0;                 // one input row (format 1: one row of squares)
  std::size_t mcu_step = 0;                  // from one MCU to the next in the same MCU row
  std::size_t band_bytes = 0;                // from one MCU row to the next
};

// False for a format above 4, a zero size or one above 65,535.
bool BuildJpegGeometry(unsigned format, unsigned width, unsigned height, JpegGeometry* geometry);

// Bytes of input EncodeJpeg reads for this image; 0 when it cannot be encoded.
std::size_t JpegInputSize(unsigned format, unsigned width, unsigned height);

// The most bytes EncodeJpeg can write for this image, whatever its pixels and
// scale: the output buffer must hold this many. 0 when it cannot be encoded.
std::size_t JpegOutputBound(unsigned format, unsigned width, unsigned height);

// Encodes `input` (JpegInputSize bytes) into `output` (JpegOutputBound bytes)
// and returns the end of the stream. `scale` is applied to the Annex K tables
// in 1/1024 (1024 keeps them, 256 divides them by four). JPEG_BGR input is
// overwritten by its conversion. Null, with nothing written, when the format
// or size cannot be encoded or a pointer is null.
uint8_t* EncodeJpeg(uint8_t* input, uint8_t* output, unsigned scale, unsigned format, unsigned width,
                    unsigned height);

// Writes a bottom-up 24-bit blue-green-red picture (rows of exactly
// 3 × width bytes) as a JPEG file at scale 256. The rows are flipped upright and
// converted in place, so the caller's pixels are spent. True only when the
// whole file reached the disk.
bool SaveJpegFile(const char* path, uint8_t* bits, unsigned width, unsigned height);
