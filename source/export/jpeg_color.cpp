#include "export/jpeg_color.h"

#include <cstddef>

#if (defined(__x86_64__) || defined(__i386__)) && !defined(SNAPSRC_JPEG_PLAIN)
#include <immintrin.h>
#define SNAPSRC_JPEG_X86 1
#endif

namespace {

// With these weights Y stays within 0..255 and Cb, Cr within -128..127 before
// the offset, so the clamps never bite; they stay for plain safety.
uint8_t Clamp(int value) { return static_cast<uint8_t>(value < 0 ? 0 : (value > 255 ? 255 : value)); }
uint8_t Luminance(int b, int g, int r) { return Clamp((29 * b + 150 * g + 77 * r) >> 8); }
uint8_t BlueDifference(int b, int g, int r) { return Clamp(((128 * b - 43 * r - 85 * g) >> 8) + 128); }
uint8_t RedDifference(int b, int g, int r) { return Clamp(((128 * r - 21 * b - 107 * g) >> 8) + 128); }

// Converts `pairs` pairs from `in` to `out`; returns nothing, the caller steps.
void ConvertPairs(const uint8_t* in, uint8_t* out, unsigned pairs) {
  for (unsigned pair = 0; pair < pairs; ++pair, in += 6, out += 4) {
    const int b0 = in[0], g0 = in[1], r0 = in[2], b1 = in[3], g1 = in[4], r1 = in[5];
    out[0] = Luminance(b0, g0, r0);
    out[1] = BlueDifference(b0, g0, r0);
    out[2] = Luminance(b1, g1, r1);
    out[3] = RedDifference(b0, g0, r0);
  }
}

#if defined(SNAPSRC_JPEG_X86)

// Eight pixels (24 bytes) into four pairs (16 bytes) per step. Every sum stays
// within 16 bits: Y's weights add up to 256 (at most 65280, unsigned), the
// chroma sums lie within ±32640.
__attribute__((target("ssse3"))) unsigned ConvertPairsSsse3(const uint8_t* in, uint8_t* out, unsigned pairs) {
  const __m128i z = _mm_set1_epi8(static_cast<char>(0x80));
  // Pixels 0-3 from the bytes at `in`, pixels 4-7 from the bytes at `in + 8`.
  const __m128i blue_a = _mm_setr_epi8(0, -128, 3, -128, 6, -128, 9, -128, -128, -128, -128, -128, -128, -128, -128, -128);
  const __m128i blue_b = _mm_setr_epi8(-128, -128, -128, -128, -128, -128, -128, -128, 4, -128, 7, -128, 10, -128, 13, -128);
  const __m128i one = _mm_set1_epi8(1);
  const __m128i two = _mm_set1_epi8(2);
  const __m128i keep_a = _mm_cmpgt_epi8(blue_a, _mm_set1_epi8(-1));
  const __m128i keep_b = _mm_cmpgt_epi8(blue_b, _mm_set1_epi8(-1));
  // Adding 1 or 2 to the kept indices picks green or red instead of blue.
  const __m128i green_a = _mm_or_si128(_mm_and_si128(_mm_add_epi8(blue_a, one), keep_a), _mm_andnot_si128(keep_a, z));
  const __m128i green_b = _mm_or_si128(_mm_and_si128(_mm_add_epi8(blue_b, one), keep_b), _mm_andnot_si128(keep_b, z));
  const __m128i red_a = _mm_or_si128(_mm_and_si128(_mm_add_epi8(blue_a, two), keep_a), _mm_andnot_si128(keep_a, z));
  const __m128i red_b = _mm_or_si128(_mm_and_si128(_mm_add_epi8(blue_b, two), keep_b), _mm_andnot_si128(keep_b, z));

  const __m128i y_b = _mm_set1_epi16(29), y_g = _mm_set1_epi16(150), y_r = _mm_set1_epi16(77);
  const __m128i cb_r = _mm_set1_epi16(43), cb_g = _mm_set1_epi16(85);
  const __m128i cr_b = _mm_set1_epi16(21), cr_g = _mm_set1_epi16(107);
  const __m128i offset = _mm_set1_epi16(128);
  const __m128i even = _mm_set1_epi32(0x0000FFFF);

  unsigned done = 0;
  for (; done + 4 <= pairs; done += 4, in += 24, out += 16) {
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + 8));
    const __m128i blue = _mm_or_si128(_mm_shuffle_epi8(a, blue_a), _mm_shuffle_epi8(b, blue_b));
    const __m128i green = _mm_or_si128(_mm_shuffle_epi8(a, green_a), _mm_shuffle_epi8(b, green_b));
    const __m128i red = _mm_or_si128(_mm_shuffle_epi8(a, red_a), _mm_shuffle_epi8(b, red_b));

    const __m128i y = _mm_srli_epi16(
        _mm_add_epi16(_mm_add_epi16(_mm_mullo_epi16(blue, y_b), _mm_mullo_epi16(green, y_g)), _mm_mullo_epi16(red, y_r)),
        8);
    const __m128i cb = _mm_add_epi16(
        _mm_srai_epi16(_mm_sub_epi16(_mm_sub_epi16(_mm_slli_epi16(blue, 7), _mm_mullo_epi16(red, cb_r)),
                                     _mm_mullo_epi16(green, cb_g)),
                       8),
        offset);
    const __m128i cr = _mm_add_epi16(
        _mm_srai_epi16(_mm_sub_epi16(_mm_sub_epi16(_mm_slli_epi16(red, 7), _mm_mullo_epi16(blue, cr_b)),
                                     _mm_mullo_epi16(green, cr_g)),
                       8),
        offset);
    // Even pixels carry their Cb, odd pixels the Cr of the pixel before them.
    const __m128i chroma = _mm_or_si128(_mm_and_si128(cb, even), _mm_slli_si128(_mm_and_si128(cr, even), 2));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_or_si128(y, _mm_slli_epi16(chroma, 8)));
  }
  return done;
}

bool HasSsse3() {
  static const bool has = __builtin_cpu_supports("ssse3");
  return has;
}

#endif

}  // namespace

void ConvertBgrToYcc422(uint8_t* pixels, unsigned width, unsigned first, unsigned count) {
  const std::size_t in_row = 3 * static_cast<std::size_t>(width);
  const std::size_t out_row = 2 * static_cast<std::size_t>(width) + (width & 1);
  // Every write lands at or before the bytes read for it, and rows shrink, so
  // nothing is overwritten before it has been read.
  for (std::size_t y = first; y < std::size_t{first} + count; ++y) {
    const uint8_t* in = pixels + y * in_row;
    uint8_t* out = pixels + y * out_row;
    unsigned pairs = width / 2, done = 0;
#if defined(SNAPSRC_JPEG_X86)
    if (HasSsse3()) done = ConvertPairsSsse3(in, out, pairs);
#endif
    ConvertPairs(in + 6 * done, out + 4 * done, pairs - done);
    if (width & 1) {
      const uint8_t* last = in + 6 * pairs;
      uint8_t* to = out + 4 * pairs;
      const int b = last[0], g = last[1], r = last[2];
      to[0] = Luminance(b, g, r);
      to[1] = BlueDifference(b, g, r);
      to[2] = RedDifference(b, g, r);
    }
  }
}
