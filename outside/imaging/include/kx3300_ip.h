/*
 * KX3300_IP.DLL: the camera's image-processing library, public interface.
 *
 * The library turns the camera's raw frames into pictures. It exports exactly
 * three functions with C linkage (below). Whoever loads it resolves them by
 * name; this header gives their types and the part of the caller's picture
 * record that the library reads. The library keeps no state between calls,
 * so any thread may call it.
 *
 * ---------------------------------------------------------------------------
 * The raw frame
 * ---------------------------------------------------------------------------
 * A picture of width w and stored height h arrives from the camera as
 * w x h + 4 bytes between the frame markers:
 *
 *   bytes 0 .. w*h-1      the sensor mosaic: h rows of w samples, top row first,
 *                         each row left to right, one 8-bit sample per site
 *   bytes w*h .. w*h+3    the trailer: red gain, blue gain, frame number, check
 *
 * Colour filter. The sensor carries a 2 x 2 Bayer filter (red, green / green,
 * blue). Which colour the first stored sample has depends on where the readout
 * window starts on the sensor, given by bits 0..1 of the picture's `mode`:
 *   mode & 3 = 0   R G / G B   (the window starts on a red site)
 *              1   G R / B G   (one column in)
 *              2   G B / R G   (one row in)
 *              3   B G / G R   (one row and one column in)
 * Bits 2..3 of `mode` do not change the frame; the decoder ignores them.
 * (Cameras of model 12 start the window one column in for every size but
 * 352 x 288 whatever they report, which is why the data source records mode 1
 * for those pictures.)
 *
 * Samples. Each sample is the site's linear light signal L (0 = dark, 1 = full
 * well) companded with a square-root curve over the sensor's black level b:
 *   sample = b + round((255 - b) * sqrt(L))
 * so the 8 bits follow the sensor's shot noise and perceived brightness
 * rather than linear light. A sample below b reads as no light. The black level b is the
 * picture's `param20`, limited to 0..64 (a larger value counts as 64).
 *
 * Trailer. The camera's white balance for the frame, as gains to apply to the
 * linear red and blue signals (green is the reference):
 *   byte 0  red gain in 64ths (64 = 1.0); 0 counts as 64
 *   byte 1  blue gain in 64ths; 0 counts as 64
 *   byte 2  frame number (clip frames count up, photos carry 0); not used for
 *           decoding
 *   byte 3  check: byte 0 ^ byte 1 ^ byte 2 ^ 0x5A
 * When the check does not hold (a frame the camera did not align, or a damaged
 * one), the decoder uses gains of 1.0.
 *
 * Mirrored readout. When the picture's `param11_flag` is 1 the sensor was read
 * right to left: stored column x shows the scene's column w - 1 - x. The
 * colour filter phase above still refers to the stored order.
 *
 * Narrow pictures (w below 352) travel with rows 1 and 2 of every group of
 * four rows exchanged (rows 4g+1 and 4g+2, where both exist). The caller puts
 * them back before handing the frame to the library, so the library always
 * receives rows in their natural order.
 *
 * Half-height pictures (w above twice h) show a scene 2h rows high, stored at
 * half its height: the sensor bins each pair of scene rows (2y, 2y+1) into
 * stored row y, averaging them in linear light, so the mosaic keeps its
 * colour filter pattern. IP_hDIB restores the full height by interpolating
 * between stored rows; IP_pRGB24 keeps the stored height.
 *
 * `model` does not change the frame: every camera model decodes alike.
 *
 * ---------------------------------------------------------------------------
 * The picture record
 * ---------------------------------------------------------------------------
 * The record handed to IP_hDIB and IP_pRGB24 is the data source's own picture
 * record. The library reads only the prefix declared below, whose layout is
 * the record's field order with natural 64-bit alignment (the memory handle
 * and the pointer are 8 bytes). `record_size` must hold the record's real
 * size, at least sizeof(KX3300_PictureRecordPrefix); a smaller record is
 * refused. Of the record the library trusts only `width` and `height` for
 * reading memory: it reads exactly w x h + 4 raw bytes, and the caller
 * guarantees that the raw pointer has that many.
 */
#ifndef KX3300_IP_H
#define KX3300_IP_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef struct KX3300_PictureRecordPrefix {
  int32_t record_size;  /* the record's real size in bytes */
  int32_t width;        /* pixels */
  int32_t height;       /* rows as stored */
  int32_t mode;         /* bits 0..1: colour filter phase */
  int32_t kind;         /* not read */
  int32_t model;        /* not read */
  int32_t param20;      /* black level */
  int32_t param11_flag; /* 1: mirrored readout */
  int32_t narrow;       /* not read: rows arrive already in order */
  int32_t half_height;  /* non-zero: IP_hDIB returns 2 x height rows */
  int32_t selected;     /* not read */
  void* buffer;         /* not read */
  int32_t use_next;     /* not read */
  /* brightness, contrast and quality factors (1.0 = as shot); null counts as
     three 1.0s */
  const double* adjust;
} KX3300_PictureRecordPrefix;

#ifdef __cplusplus
static_assert(offsetof(KX3300_PictureRecordPrefix, width) == 4, "record layout");
static_assert(offsetof(KX3300_PictureRecordPrefix, height) == 8, "record layout");
static_assert(offsetof(KX3300_PictureRecordPrefix, mode) == 12, "record layout");
static_assert(offsetof(KX3300_PictureRecordPrefix, kind) == 16, "record layout");
static_assert(offsetof(KX3300_PictureRecordPrefix, model) == 20, "record layout");
static_assert(offsetof(KX3300_PictureRecordPrefix, param20) == 24, "record layout");
static_assert(offsetof(KX3300_PictureRecordPrefix, param11_flag) == 28, "record layout");
static_assert(offsetof(KX3300_PictureRecordPrefix, narrow) == 32, "record layout");
static_assert(offsetof(KX3300_PictureRecordPrefix, half_height) == 36, "record layout");
static_assert(offsetof(KX3300_PictureRecordPrefix, selected) == 40, "record layout");
static_assert(offsetof(KX3300_PictureRecordPrefix, buffer) == 48, "record layout");
static_assert(offsetof(KX3300_PictureRecordPrefix, use_next) == 56, "record layout");
static_assert(offsetof(KX3300_PictureRecordPrefix, adjust) == 64, "record layout");
static_assert(sizeof(KX3300_PictureRecordPrefix) == 72, "record layout");
#endif

/* Largest width and stored height the library decodes; larger gives nothing. */
#define KX3300_IP_MAX_SIDE 4096

/*
 * Adjustments (record->adjust[0..2]), each clamped to its range:
 *   brightness 0..4: scales the light before the tone curve (0 = black,
 *                    2 = one stop brighter)
 *   contrast   0..4: spreads the tones around mid-grey after the tone curve
 *                    (0 = flat grey)
 *   quality    above 1.125 (the high-quality mode passes 1.25) selects the
 *              high-quality development: an
 *              edge-directed demosaic with false-colour suppression and cubic
 *              row interpolation for half-height pictures; below it, a
 *              gradient-corrected linear demosaic and linear row interpolation.
 * A value that is not a number counts as 1.0.
 */

/*
 * Develops a raw frame into a packed bitmap: a 40-byte BITMAPINFOHEADER
 * (width, positive height, 1 plane, 24 bits, no compression, image size)
 * followed at once by bottom-up rows of exactly 3 x width bytes (blue, green,
 * red; no row padding, no colour table). Height is the record's height, twice
 * that when `half_height` is set. The block comes from malloc: the caller owns
 * it and frees it with free(). Null when the record or frame is unusable.
 */
typedef void* (*KX3300_IP_hDIB_Proc)(const void* record, const uint8_t* raw);

/*
 * Develops one clip frame into the caller's buffer of width x height x 3 bytes,
 * laid out as the pixels of a 24-bit bottom-up bitmap of that size (rows of
 * 3 x width bytes). Half-height frames are developed at their stored height,
 * since that is the buffer's size. Returns 1 when the buffer was filled, 0 when
 * the record or frame is unusable (the buffer is then untouched).
 */
typedef int (*KX3300_IP_pRGB24_Proc)(const void* record, const uint8_t* raw, uint8_t* pixels);

/*
 * Scales 24-bit pixels (rows of 3 x width bytes, top-down or bottom-up alike)
 * into the caller's target buffer with a separable cubic filter that widens
 * into an area average when shrinking. Returns 1 when the target was filled,
 * 0 for a null buffer or a size outside 1..16384 (the target is then untouched).
 */
typedef int (*KX3300_IP_ImageResample_Proc)(const uint8_t* source, int source_width, int source_height,
                                            uint8_t* target, int target_width, int target_height);

void* IP_hDIB(const void* record, const uint8_t* raw);
int IP_pRGB24(const void* record, const uint8_t* raw, uint8_t* pixels);
int IP_ImageResample(const uint8_t* source, int source_width, int source_height, uint8_t* target,
                     int target_width, int target_height);

#ifdef __cplusplus
}
#endif

#endif /* KX3300_IP_H */
